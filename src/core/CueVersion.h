#pragma once

#include "core/UnknownMembers.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

namespace sorvel {

// One revision of a cue after its first take; stored versions are numbered from 2.
struct CueVersion {
    QUuid id;
    qint64 number = 2;
    QDateTime date;
    QString note;
    UnknownMembers unknown = {};

    bool operator==(const CueVersion&) const = default;
};

} // namespace sorvel
