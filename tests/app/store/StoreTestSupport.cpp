#include "StoreTestSupport.h"

#include "core/Storage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace sorvel::test {

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void waitFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

ProjectStore::Desktop FakeDesktop::seams() {
    return {
        [this]() -> std::optional<QString> {
            ++chooseCalls;
            return nextChoice;
        },
        [this](const QString& directory) { opened << directory; },
        [this] { ++reloads; },
    };
}

AudioProject projectWithCue(const QString& name, CueStage stage) {
    AudioProject project = AudioProject::make(name, ProjectType::musicID);
    Cue cue;
    cue.id = QUuid::createUuid();
    cue.number = QStringLiteral("1");
    cue.title = QStringLiteral("Opening");
    cue.stage = stage;
    project.items.append(cue);
    return project;
}

void writeDataFile(const QList<AudioProject>& projects) {
    ASSERT_TRUE(Storage::save(Library{projects, ProjectType::defaults()}));
}

QList<AudioProject> projectsInFile() {
    const Storage::ReadResult read = Storage::read();
    EXPECT_EQ(read.kind, Storage::ReadResult::Kind::Decoded);
    return read.library.projects;
}

} // namespace sorvel::test
