#pragma once

#include "core/UnknownMembers.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

namespace sorvel {

// One dated progress note, with the project's progress when it was written.
struct LogEntry {
    QUuid id;
    QDateTime date;
    QString text;
    double progress = 0;
    UnknownMembers unknown = {};

    bool operator==(const LogEntry&) const = default;
};

} // namespace sorvel
