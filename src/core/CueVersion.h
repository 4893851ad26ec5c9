#pragma once

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

    bool operator==(const CueVersion&) const = default;
};

} // namespace sorvel
