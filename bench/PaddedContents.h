#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace sorvel::bench {

// A file's bytes with room for the parser to read past their end, as the store reads the file.
inline QByteArray paddedContents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes;
    bytes.reserve(file.size() + 64);
    bytes.resize(file.size());
    bytes.resize(file.read(bytes.data(), bytes.size()));
    return bytes;
}

} // namespace sorvel::bench
