#pragma once

#include <QSet>
#include <QUuid>

namespace sorvel {

class ProjectStore;

// What the library window's drawer shows for a selection: the detail of
// exactly one selected existing project, the multi-selection for two or
// more ids (existing or not), and nothing otherwise.
struct DrawerState {
    enum class Kind { None, Detail, Multiple };

    Kind kind = Kind::None;
    QUuid projectID; // only for Detail

    static DrawerState of(const QSet<QUuid>& selection, const ProjectStore& store);

    bool isPresent() const { return kind != Kind::None; }
    // The drawer covers the page only when it is expanded and has content.
    bool covers(bool detailExpanded) const { return detailExpanded && isPresent(); }
    bool operator==(const DrawerState&) const = default;
};

} // namespace sorvel
