#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#ifdef SORVEL_TEST_GUI
#include <QApplication>
#else
#include <QCoreApplication>
#endif

int main(int argc, char** argv) {
    // Every suite starts inside temporary XDG folders; single tests may make fresher ones.
    sorvel::test::TestEnvironment environment;
#ifdef SORVEL_TEST_GUI
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
