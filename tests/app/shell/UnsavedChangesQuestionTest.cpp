#include "app/shell/UnsavedChangesQuestion.h"

#include "app/store/ProjectStore.h"
#include "support/StoreTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

using UnsavedChangesQuestionTest = StoreFixture;

// The background retry writes the change while the question is open: the
// question goes away by itself and the quit goes on, nothing lost.
TEST_F(UnsavedChangesQuestionTest, AWriteThatLandsWhileTheQuestionIsOpenClosesItAndQuits) {
    const AudioProject first = AudioProject::make(QStringLiteral("First"), ProjectType::musicID);
    ProjectStore store(disk, desktop.seams());
    breakDataFile(environment);
    store.addProject(first);
    QString shown;
    QTimer mend;
    mend.setSingleShot(true);
    QObject::connect(&mend, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box)
            shown = box->informativeText();
        mendDataFile(environment); // the retry that is already scheduled now succeeds
    });
    mend.start(200);
    UnsavedChangesGuard guard(store, UnsavedChangesQuestion::messageBox(store, [] { return nullptr; }));
    testing::internal::CaptureStderr();
    QElapsedTimer took;
    took.start();
    EXPECT_TRUE(guard.writeBeforeQuit());
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_LT(took.elapsed(), ProjectStore::longestRetryDelayMs);
    EXPECT_TRUE(shown.contains(QStringLiteral("无法写入数据文件"))) << shown.toStdString();
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(projectsInFile(), QList<AudioProject>{first});
    EXPECT_EQ(log.find("quit anyway"), std::string::npos) << "nothing was lost: " << log;
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
} // namespace sorvel::test
