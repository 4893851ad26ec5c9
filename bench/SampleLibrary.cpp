#include "SampleLibrary.h"

#include "core/RecordCoding.h"

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

} // namespace sorvel::bench
