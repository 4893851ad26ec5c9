#include "SampleLibrary.h"

#include "core/RecordCoding.h"
#include "core/Storage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <map>

namespace sorvel::bench {

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

QString yearsOfWorkDataHome(int projectCount) {
    static const QTemporaryDir root;
    const QString home = root.filePath(QStringLiteral("years-%1").arg(projectCount));
    QFile file(home + QStringLiteral("/Sorvel/projects.json"));
    if (!file.exists() && QDir().mkpath(home + QStringLiteral("/Sorvel")) && file.open(QIODevice::WriteOnly))
        file.write(yearsOfWorkFile(projectCount));
    return home;
}

QString yearsOfWorkDataFile(int projectCount) {
    return yearsOfWorkDataHome(projectCount) + QStringLiteral("/Sorvel/projects.json");
}

void writeLikeTheWidget(int projectIndex, int mark) {
    Storage::mutate([projectIndex, mark](Library& library) {
        library.projects[projectIndex].notes = QStringLiteral("widget %1").arg(mark);
    });
}

} // namespace sorvel::bench
