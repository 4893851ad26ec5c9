#include "core/AudioProject.h"

#include "core/Clock.h"
#include "core/CueTime.h"
#include "core/RecordCoding.h"
#include "core/SorvelLinks.h"
#include "core/UnitFraction.h"

#include <algorithm>
#include <vector>

namespace sorvel {

AudioProject AudioProject::make(const QString& name, const QUuid& typeID) {
    AudioProject project;
    project.id = QUuid::createUuid();
    project.name = name;
    project.typeID = typeID;
    project.createdAt = Clock::now();
    project.updatedAt = project.createdAt;
    return project;
}

bool AudioProject::isActive() const {
    return !archivedAt && status != ProjectStatus::Done;
}

bool AudioProject::isOverdue() const {
    return isOverdue(Clock::startOfToday());
}

bool AudioProject::isOverdue(const QDateTime& startOfToday) const {
    return deadline && !archivedAt && status != ProjectStatus::Done && *deadline < startOfToday;
}

double AudioProject::progress() const {
    if (status == ProjectStatus::Done)
        return 1.0;
    if (progressMode == ProgressMode::Manual)
        return clampedFraction(manualProgress);
    if (items.isEmpty())
        return 0;
    return double(doneCount()) / double(items.size());
}

qint64 AudioProject::doneCount() const {
    return std::count_if(items.cbegin(), items.cend(), [](const Cue& cue) { return cue.stage == CueStage::Delivered; });
}

qint64 AudioProject::mixedCount() const {
    return std::count_if(items.cbegin(), items.cend(), [](const Cue& cue) { return cue.stage >= CueStage::Mixed; });
}

qint64 AudioProject::totalDuration() const {
    // The cues' lengths as they are shown: each within 0 … CueTime::longest, so
    // the sum of any list that fits in memory stays far from overflowing.
    qint64 sum = 0;
    for (const Cue& cue : items)
        sum += CueTime::length(cue.duration).value_or(0);
    return sum;
}

const Cue* AudioProject::nextItem() const {
    for (const Cue& cue : items) {
        if (cue.stage != CueStage::Delivered)
            return &cue;
    }
    return nullptr;
}

QString AudioProject::cueSummary() const {
    if (items.isEmpty())
        return QStringLiteral("暂无 cue");
    const QString count = QString::number(items.size());
    QStringList parts{QStringLiteral("交付 ") + QString::number(doneCount()) + QLatin1Char('/') + count,
                      QStringLiteral("录混 ") + QString::number(mixedCount()) + QLatin1Char('/') + count};
    const qint64 duration = totalDuration();
    if (duration > 0)
        parts.append(CueTime::total(duration));
    return parts.join(QStringLiteral(" · "));
}

QUrl AudioProject::deepLink() const {
    return QUrl(SorvelLinks::project(id));
}

void AudioProject::touch() {
    updatedAt = Clock::now();
    if (status == ProjectStatus::NotStarted && progress() > 0)
        status = ProjectStatus::InProgress;
}

void AudioProject::setStatus(ProjectStatus newStatus) {
    if (newStatus == status)
        return;
    status = newStatus;
    if (newStatus == ProjectStatus::Done) {
        const QDateTime now = Clock::now();
        completedAt = now;
        addLogEntry(QStringLiteral("完成"), now);
    } else {
        completedAt.reset();
    }
    touch();
}

void AudioProject::addLogEntry(const QString& text, const QDateTime& at) {
    log.prepend(LogEntry{QUuid::createUuid(), at, text, progress()});
}

QUuid AudioProject::addCue(const QString& cueTitle) {
    std::optional<QString> previous;
    if (!items.isEmpty())
        previous = items.last().number;
    Cue cue;
    cue.id = QUuid::createUuid();
    cue.number = nextCueNumber(previous, items.size() + 1);
    cue.title = cueTitle;
    cue.startDate = Clock::now();
    items.append(cue);
    touch();
    return cue.id;
}

void AudioProject::updateCue(const QUuid& cueID, const std::function<void(Cue&)>& body) {
    const auto found = std::find_if(items.begin(), items.end(), [&cueID](const Cue& cue) { return cue.id == cueID; });
    if (found == items.end())
        return;
    body(*found);
    touch();
}

void AudioProject::advanceCue(const QUuid& cueID) {
    updateCue(cueID, [](Cue& cue) {
        // A delivered cue steps back to mixed, so repeated taps toggle the delivery.
        const CueStage stage = nextStage(cue.stage).value_or(CueStage::Mixed);
        cue.setStage(stage, Clock::now());
    });
}

bool precedesOnShelf(const AudioProject& a, const AudioProject& b) {
    if (a.isFocused != b.isFocused)
        return a.isFocused;
    return a.updatedAt > b.updatedAt;
}

QList<AudioProject> activeSorted(const QList<AudioProject>& projects) {
    // Sorted by address: moving whole records around costs far more than comparing them.
    std::vector<const AudioProject*> active;
    active.reserve(projects.size());
    for (const AudioProject& project : projects) {
        if (project.isActive())
            active.push_back(&project);
    }
    std::stable_sort(active.begin(), active.end(),
                     [](const AudioProject* a, const AudioProject* b) { return precedesOnShelf(*a, *b); });
    QList<AudioProject> sorted;
    sorted.reserve(qsizetype(active.size()));
    for (const AudioProject* project : active)
        sorted.append(*project);
    return sorted;
}

QList<AudioProject> firstActiveSorted(const QList<AudioProject>& projects, qsizetype count) {
    QList<AudioProject> first;
    if (count <= 0)
        return first;
    first.reserve(count + 1);
    for (const AudioProject& project : projects) {
        if (!project.isActive())
            continue;
        // After every one it does not precede, so that ties keep the input order.
        const auto place = std::upper_bound(first.begin(), first.end(), project, precedesOnShelf);
        if (place - first.begin() >= count)
            continue;
        first.insert(place, project);
        if (first.size() > count)
            first.removeLast();
    }
    return first;
}

} // namespace sorvel
