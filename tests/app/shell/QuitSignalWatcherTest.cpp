#include "app/shell/QuitSignalWatcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace sorvel {
namespace {

struct sigaction currentAction(int number) {
    struct sigaction action {};
    ::sigaction(number, nullptr, &action);
    return action;
}

TEST(QuitSignalWatcherTest, TermIntAndHupBecomeQuitRequests) {
    // Whatever happens, the test process must not die of the signals it sends itself.
    const struct sigaction ignore = [] {
        struct sigaction action {};
        action.sa_handler = SIG_IGN;
        sigemptyset(&action.sa_mask);
        return action;
    }();
    struct sigaction before[3];
    const int numbers[3] = {SIGTERM, SIGINT, SIGHUP};
    for (int i = 0; i < 3; ++i)
        ::sigaction(numbers[i], &ignore, &before[i]);

    {
        QuitSignalWatcher watcher;
        ASSERT_TRUE(watcher.isWatching());
        QList<int> requested;
        QObject::connect(&watcher, &QuitSignalWatcher::quitRequested, [&](int number) { requested << number; });

        for (const int number : numbers) {
            ::raise(number);
            QElapsedTimer waited;
            waited.start();
            while (!requested.contains(number) && waited.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        EXPECT_EQ(requested, (QList<int>{SIGTERM, SIGINT, SIGHUP}));
    }

    // Gone with the watcher: the earlier handlers are back.
    for (const int number : numbers)
        EXPECT_EQ(currentAction(number).sa_handler, SIG_IGN);
    for (int i = 0; i < 3; ++i)
        ::sigaction(numbers[i], &before[i], nullptr);
}

} // namespace
} // namespace sorvel
