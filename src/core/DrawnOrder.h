#pragma once

#include "core/AudioProject.h"

#include <QList>
#include <QUuid>

namespace sorvel::DrawnOrder {

// The ids of `projects`, in their order.
QList<QUuid> ids(const QList<AudioProject>& projects);

// `fresh` with the projects that were already drawn (their ids in `drawn`,
// in the order they were drawn) put back in that order, in the places such
// projects take in `fresh`. Newcomers keep their places in `fresh` and
// projects that left simply go; a list re-sorted by a change of one of its
// projects thus comes back exactly as it was drawn.
QList<AudioProject> keep(const QList<QUuid>& drawn, const QList<AudioProject>& fresh);

} // namespace sorvel::DrawnOrder
