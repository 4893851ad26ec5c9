#pragma once

#include "core/Cue.h"
#include "core/LogEntry.h"
#include "core/ProjectStatus.h"
#include "core/UnknownMembers.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <optional>

namespace sorvel {

// One project: its record as stored in the data file, and the rules that change it.
struct AudioProject {
    QUuid id;
    QString name;
    QUuid typeID;
    ProjectStatus status = ProjectStatus::NotStarted;
    QDateTime createdAt;
    QDateTime updatedAt;
    std::optional<QDateTime> deadline;
    std::optional<QString> folderPath;
    QString notes;
    QList<Cue> items;
    QList<LogEntry> log; // newest first
    ProgressMode progressMode = ProgressMode::Auto;
    double manualProgress = 0;
    std::optional<QDateTime> completedAt;
    std::optional<QDateTime> archivedAt;
    bool isFocused = false;
    UnknownMembers unknown = {};

    bool operator==(const AudioProject&) const = default;

    // A new record: fresh id, both dates now, everything else at its default.
    static AudioProject make(const QString& name, const QUuid& typeID);

    bool isActive() const;
    bool isOverdue() const;
    // The same against a start of today read once for many projects.
    bool isOverdue(const QDateTime& startOfToday) const;
    // Always within 0…1; a stored value that is not finite counts as 0.
    double progress() const;
    qint64 doneCount() const;
    qint64 mixedCount() const;
    qint64 totalDuration() const; // the sum of the cues' lengths as shown (CueTime::length)
    const Cue* nextItem() const;
    QString cueSummary() const;
    QUrl deepLink() const;

    void touch();
    void setStatus(ProjectStatus newStatus);
    // Puts `text` at the top of the log, dated `at`, with the progress of now.
    void addLogEntry(const QString& text, const QDateTime& at);
    QUuid addCue(const QString& title);
    void updateCue(const QUuid& cueID, const std::function<void(Cue&)>& body);
    void advanceCue(const QUuid& cueID);
};

// Shelf order: the focused project first, then the latest change first.
bool precedesOnShelf(const AudioProject& a, const AudioProject& b);
// Active projects only, in shelf order; ties keep the input order.
QList<AudioProject> activeSorted(const QList<AudioProject>& projects);
// The first `count` projects of activeSorted, without sorting the others.
QList<AudioProject> firstActiveSorted(const QList<AudioProject>& projects, qsizetype count);

} // namespace sorvel
