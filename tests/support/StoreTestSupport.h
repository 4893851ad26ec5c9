#pragma once

#include "app/store/ProjectStore.h"
#include "app/store/UnsavedChangesGuard.h"
#include "core/AudioProject.h"
#include "core/FileSystem.h"
#include "core/Library.h"
#include "support/SampleRecords.h"
#include "support/TestEnvironment.h"
#include "support/Waiting.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace sorvel::test {

// The desktop as the tests see it: no dialog ever opens.
struct FakeDesktop {
    std::optional<QString> nextChoice;
    int chooseCalls = 0;
    QStringList opened;
    int reloads = 0;

    ProjectStore::Desktop seams();
};

// A test of the store: its own folders and desktop.
class StoreFixture : public ::testing::Test {
protected:
    TestEnvironment environment;
    PosixFileSystem disk;
    FakeDesktop desktop;
};

// Writes the data file as another program would (coordinated, atomic).
void writeDataFile(const QList<AudioProject>& projects);
// What the data file holds now (asserts that it decodes).
QList<AudioProject> projectsInFile();
// The data file holds the one project `id`, with `notes`, and the store shows what the file holds.
void expectOnlyProjectInFile(const QUuid& id, const QString& notes, const ProjectStore& store);
// Runs `body` in another process, as the widget program performs an intent:
// its own descriptors, the folder lock, one read, change and atomic rename.
void runInAnotherProgram(const std::function<void()>& body);
// Changes the data file from another process; fails the test when nothing was written.
void changeInAnotherProgram(const std::function<void(Library&)>& change);

// Runs the event loop until the store has nothing running or due (see
// ProjectStore::isIdle): whatever a change or a folder event so far was to
// cause has happened. False when it is still busy after a generous limit.
bool waitUntilIdle(const ProjectStore& store);

// Makes the data file a link into a folder that does not exist, so that no
// write can reach it; mendDataFile() removes the link again.
void breakDataFile(const TestEnvironment& environment);
void mendDataFile(const TestEnvironment& environment);

// The question's answer of a user who quits although the changes are not written.
inline UnsavedChangesGuard::Choice quitAnyway(const UnsavedChangesGuard::Question&) {
    return UnsavedChangesGuard::Choice::QuitAnyway;
}
// A quit whose write cannot land: by "quit anyway" (which goes on quitting) or
// by a signal (which reports that nothing was written).
void quitUnwritten(UnsavedChangesGuard& guard, bool bySignal);

} // namespace sorvel::test
