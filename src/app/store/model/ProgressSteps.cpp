#include "app/store/model/ProgressSteps.h"

#include "core/LibraryMerge.h"
#include "core/WidgetIntents.h"

#include <QSet>

#include <algorithm>

namespace sorvel {

namespace {

template <typename Projects>
auto find(Projects& projects, const QUuid& id) -> decltype(&projects[0]) {
    const auto found =
        std::find_if(projects.begin(), projects.end(), [&](const AudioProject& project) { return project.id == id; });
    return found == projects.end() ? nullptr : &*found;
}

} // namespace

void ProgressSteps::add(const QUuid& project, double delta, quint64 revision) {
    m_steps.append({project, delta, revision});
}

void ProgressSteps::written(quint64 revision) {
    m_steps.removeIf([revision](const Step& step) { return step.revision <= revision; });
}

void ProgressSteps::landed(quint64 revision) {
    m_landed = std::max(m_landed, revision);
}

QList<ProgressSteps::Step> ProgressSteps::notLanded() const {
    QList<Step> carried = m_steps;
    carried.removeIf([this](const Step& step) { return step.revision <= m_landed; });
    return carried;
}

double ProgressSteps::stepped(const QUuid& project, double from, quint64 since) const {
    double value = from;
    for (const Step& step : m_steps) {
        if (step.project == project && step.revision > since)
            value = AdjustProgressIntent::steppedProgress(value, step.delta);
    }
    return value;
}

void ProgressSteps::carry(Library& base, const Library& theirs, Library& mine) const {
    QSet<QUuid> carried;
    for (const Step& step : m_steps) {
        if (carried.contains(step.project))
            continue;
        carried.insert(step.project);
        AudioProject* before = find(base.projects, step.project);
        const AudioProject* other = find(theirs.projects, step.project);
        AudioProject* here = find(mine.projects, step.project);
        // Carried even when the other program left the value alone: steps that
        // landed by another way are in its value already and count no more.
        if (!before || !other || !here)
            continue;
        if (stepped(step.project, before->manualProgress) != here->manualProgress)
            continue; // set outright since: the field rule decides
        // As if the steps had been made on the other program's value: only
        // this side changed the field then, so the merge takes it as it is.
        before->manualProgress = other->manualProgress;
        here->manualProgress = stepped(step.project, other->manualProgress, m_landed);
    }
}

Library ProgressSteps::merge(Library base, const Library& theirs, Library mine, QStringList* notes) const {
    carry(base, theirs, mine);
    return LibraryMerge::merge(base, theirs, mine, notes);
}

Library ProgressSteps::merge(const Library& base, const Library& theirs, const Library& mine) const {
    QStringList notes;
    const Library merged = merge(base, theirs, mine, &notes);
    LibraryMerge::logNotes(notes);
    return merged;
}

} // namespace sorvel
