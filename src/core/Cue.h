#pragma once

#include "core/CueStage.h"
#include "core/CueVersion.h"
#include "core/UnknownMembers.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace sorvel {

// One numbered piece of music or sound within a project.
struct Cue {
    // The three dates the user can edit; never stored.
    enum class DateKind { Start, Mixed, Delivered };

    QUuid id;
    QString number;
    QString title;
    std::optional<qint64> duration; // whole seconds
    CueStage stage = CueStage::NotStarted;
    QList<CueVersion> versions;
    std::optional<QDateTime> startDate;
    std::optional<QDateTime> mixedAt;
    std::optional<QDateTime> deliveredAt;
    UnknownMembers unknown = {};

    bool operator==(const Cue&) const = default;

    void setStage(CueStage newStage, const QDateTime& at);
    void setDate(DateKind kind, const std::optional<QDateTime>& date);
    void addVersion(const QString& note, const QDateTime& at);
};

// The number the next stored version of a cue gets: one after the last
// entry (not the largest), 2 when there is none; it stays at the largest
// number rather than wrap when a hand-edited file holds it.
qint64 nextVersionNumber(const QList<CueVersion>& versions);

// The number after `previous`: its last run of digits counted up, keeping its
// zero padding; `fallback` when there is no previous number or no usable digits.
QString nextCueNumber(const std::optional<QString>& previous, qint64 fallback);

} // namespace sorvel
