#include "SampleLibrary.h"

#include "core/FileSystem.h"
#include "PythonStyleFile.h"

#include "core/RecordCoding.h"
#include "core/Storage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <map>

namespace sorvel::bench {

// The disk under every read and write this benchmark makes.
sorvel::PosixFileSystem disk;

const Library& yearsOfWork(int projectCount) {
    static std::map<int, Library> made;
    auto found = made.find(projectCount);
    if (found == made.end())
        found = made.emplace(projectCount, sampleLibrary(projectCount, 30, 10)).first;
    return found->second;
}

const QByteArray& yearsOfWorkFile(int projectCount) {
    static std::map<int, QByteArray> made;
    auto found = made.find(projectCount);
    if (found == made.end())
        found = made.emplace(projectCount, RecordCoding::encodeLibrary(yearsOfWork(projectCount))).first;
    return found->second;
}

const QByteArray& fileWrittenBy(FileWriter writer, int projectCount) {
    if (writer == FileWriter::Sorvel)
        return yearsOfWorkFile(projectCount);
    static std::map<std::pair<FileWriter, int>, QByteArray> made;
    auto found = made.find({writer, projectCount});
    if (found == made.end()) {
        Library library = pythonStyleLibrary(projectCount);
        if (writer == FileWriter::PythonWithNewMembers)
            library = withANewMemberEach(std::move(library));
        if (writer == FileWriter::PythonWithCueMembers)
            library = withAMemberInEveryCue(std::move(library), "mixDate");
        if (writer == FileWriter::PythonWithCueControl)
            library = withAMemberInEveryCue(std::move(library), "doneAt");
        found = made.emplace(std::pair(writer, projectCount), PythonStyleFile::of(library)).first;
    }
    return found->second;
}

QString yearsOfWorkDataHome(int projectCount, FileWriter writer) {
    static const QTemporaryDir root;
    const QString home = root.filePath(QStringLiteral("years-%1-%2").arg(projectCount).arg(int(writer)));
    QFile file(home + QStringLiteral("/Sorvel/projects.json"));
    if (!file.exists() && QDir().mkpath(home + QStringLiteral("/Sorvel")) && file.open(QIODevice::WriteOnly))
        file.write(fileWrittenBy(writer, projectCount));
    return home;
}

QString yearsOfWorkDataFile(int projectCount, FileWriter writer) {
    return yearsOfWorkDataHome(projectCount, writer) + QStringLiteral("/Sorvel/projects.json");
}

void writeLikeTheWidget(int projectIndex, int mark) {
    Storage::mutate(disk, [projectIndex, mark](Library& library) {
        library.projects[projectIndex].notes = QStringLiteral("widget %1").arg(mark);
    });
}

} // namespace sorvel::bench
