#pragma once

#include "core/AudioProject.h"

#include <QList>
#include <QSet>
#include <QUuid>

namespace sorvel {

// Which projects one change of the store's array touched, so that a view can
// redo only its share of the work instead of looking at every project again.
struct ProjectChange {
    // Projects added, removed or changed.
    QSet<QUuid> ids;
    // The projects that stayed moved relative to each other (or the change is
    // not known in detail): every project counts as changed.
    bool all = false;

    bool isEmpty() const { return !all && ids.isEmpty(); }
    bool touches(const QUuid& id) const { return all || ids.contains(id); }
    // Folds a later change into this one.
    void add(const ProjectChange& later);

    static ProjectChange everything();
    static ProjectChange of(const QUuid& id);
    // Compares by id; linear in the projects. Records shared between the two
    // arrays compare at the cost of a pointer.
    static ProjectChange between(const QList<AudioProject>& before, const QList<AudioProject>& after);
};

} // namespace sorvel
