#pragma once

#include <QString>

namespace sorvel::FreeName {

// The most a file name may take on the file systems of Linux, in bytes of UTF-8.
constexpr qsizetype maximumBytes = 255;

// A file name to find a free form of: `stem`, then `mark`, then the number of
// a taken name, then `extension` ("Mix" + " 归档" + " 2" + ".md"). Only the
// stem gives way when the whole would be longer than a file name may be.
struct Name {
    QString stem;
    QString mark;
    QString extension;

    QString text() const { return stem + mark + extension; }
};

// The longest start of `text` within `bytes` of UTF-8, cut between two
// characters as a reader sees them: never inside a surrogate pair, a letter
// with its accents or an emoji sequence.
QString startWithin(const QString& text, qsizetype bytes);

// The first of `name`, "name 2", "name 3", … in `folder` at which nothing
// exists, each shortened to fit maximumBytes. A dangling symbolic link counts
// as something.
QString path(const QString& folder, const Name& name);

// The same for the last component of `wanted`, whose stem is all that comes
// before its extension (Tape → Tape 2, Demo.take → Demo 2.take).
QString path(const QString& wanted);

} // namespace sorvel::FreeName
