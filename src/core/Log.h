#pragma once

#include <QString>

namespace sorvel::Log {

// Each line goes to syslog and the same line to stderr, prefix first.
void storageError(const QString& description); // "Sorvel storage error: "
void writeError(const QString& description); // "Sorvel write error: "
void decodeError(const QString& description); // "Sorvel decode error: "
void info(const QString& line);

} // namespace sorvel::Log
