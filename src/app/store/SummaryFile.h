#pragma once

#include <QByteArray>
#include <QString>

namespace sorvel::SummaryFile {

struct Outcome {
    bool written = false;
    QString path; // the file written, when written
    QString error; // why not, in words for the user, when not written
};

// Writes `bytes` as a new file in `folder`, named `fileName` or the first free
// name made from it. The content appears complete or not at all, and an
// existing file is never replaced.
Outcome write(const QString& folder, const QString& fileName, const QByteArray& bytes);

} // namespace sorvel::SummaryFile
