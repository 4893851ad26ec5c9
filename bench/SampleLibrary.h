#pragma once

#include "core/CueStage.h"
#include "core/Library.h"

#include <QByteArray>

namespace sorvel::bench {

// A library of made-up projects for benchmarks (and the tests that compare the
// data file's coding on them): each project has the given number of cues
// (with a version each and varied stages and dates) and log entries. The same
// arguments give records of the same shape every time.
inline Library sampleLibrary(int projectCount, int cuesPerProject, int logEntriesPerProject) {
    const QDateTime start(QDate(2024, 1, 1), QTime(9, 0), Qt::UTC);
    const QList<CueStage>& stages = allCueStages();
    const QList<ProjectType>& types = ProjectType::defaults();
    Library library;
    library.projects.reserve(projectCount);
    for (int p = 0; p < projectCount; ++p) {
        AudioProject project = AudioProject::make(QStringLiteral("Project %1").arg(p), types.at(p % types.size()).id);
        project.createdAt = start.addSecs(p * 3600);
        project.updatedAt = project.createdAt.addDays(3);
        if (p % 3 == 0)
            project.deadline = start.addDays(30 + p % 60);
        if (p % 4 == 0)
            project.folderPath = QStringLiteral("/home/composer/Projects/Project %1").arg(p);
        project.notes = QStringLiteral("Notes for project %1").arg(p);
        project.progressMode = p % 5 == 0 ? ProgressMode::Manual : ProgressMode::Auto;
        project.manualProgress = (p % 11) / 10.0;
        project.isFocused = p == 0;
        for (int c = 0; c < cuesPerProject; ++c) {
            Cue cue;
            cue.id = QUuid::createUuid();
            cue.number = QStringLiteral("1M%1").arg(c + 1, 2, 10, QLatin1Char('0'));
            cue.title = QStringLiteral("Cue %1").arg(c + 1);
            cue.duration = 30 + (p * 7 + c * 13) % 240;
            cue.stage = stages.at((p + c) % stages.size());
            cue.startDate = project.createdAt.addDays(c);
            if (cue.stage >= CueStage::Mixed)
                cue.mixedAt = project.createdAt.addDays(c + 2);
            if (cue.stage == CueStage::Delivered)
                cue.deliveredAt = project.createdAt.addDays(c + 3);
            cue.versions.append(
                CueVersion{QUuid::createUuid(), 2, project.createdAt.addDays(c + 1), QStringLiteral("tempo")});
            project.items.append(cue);
        }
        for (int l = 0; l < logEntriesPerProject; ++l) {
            project.log.append(LogEntry{QUuid::createUuid(), project.updatedAt.addSecs(-l * 600),
                                        QStringLiteral("Progress note %1").arg(l), 0.1 * (logEntriesPerProject - l)});
        }
        library.projects.append(project);
    }
    return library;
}

// A composer's library after years of work: 30 cues with a version each and 10
// log entries per project. Made once per size and kept for the whole run.
const Library& yearsOfWork(int projectCount);
// Its data file as RecordCoding writes it.
const QByteArray& yearsOfWorkFile(int projectCount);

// Who wrote a benchmark's data file: Sorvel itself (yearsOfWorkFile), or a
// Python script (PythonStyleFile of pythonStyleLibrary), whose zeros are 0.0,
// or a newer version's script, which gives every project a member no record
// of this version reads, or every cue one ("mixDate"); or, as the control of
// the last, the same script with that member under a name a cue reads.
enum class FileWriter {
    Sorvel = 0,
    Python = 1,
    PythonWithNewMembers = 2,
    PythonWithCueMembers = 3,
    PythonWithCueControl = 4
};
// The data file of projectCount projects as `writer` writes it; made once per size.
const QByteArray& fileWrittenBy(FileWriter writer, int projectCount);
// A data folder's home (what XDG_DATA_HOME names) whose data file holds
// fileWrittenBy(writer, projectCount); made once per size, removed at exit.
// For programs started by the benchmarks, which read it on their own.
QString yearsOfWorkDataHome(int projectCount, FileWriter writer = FileWriter::Sorvel);
// The data file in that folder.
QString yearsOfWorkDataFile(int projectCount, FileWriter writer = FileWriter::Sorvel);
// Changes one project's notes in the data file the way the widget writes:
// under the folder lock, by another program than the store.
void writeLikeTheWidget(int projectIndex, int mark);

} // namespace sorvel::bench
