#pragma once

#include "app/store/ProjectStore.h"
#include "core/AudioProject.h"
#include "support/SampleRecords.h"
#include "support/Waiting.h"
#include "support/TestEnvironment.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace sorvel::test {

// The desktop as the tests see it: no dialog ever opens.
struct FakeDesktop {
    std::optional<QString> nextChoice;
    int chooseCalls = 0;
    QStringList opened;
    int reloads = 0;

    ProjectStore::Desktop seams();
};

// Writes the data file as another program would (coordinated, atomic).
void writeDataFile(const QList<AudioProject>& projects);
// What the data file holds now (asserts that it decodes).
QList<AudioProject> projectsInFile();

// Makes the data file a link into a folder that does not exist, so that no
// write can reach it; mendDataFile() removes the link again.
void breakDataFile(const TestEnvironment& environment);
void mendDataFile(const TestEnvironment& environment);

} // namespace sorvel::test
