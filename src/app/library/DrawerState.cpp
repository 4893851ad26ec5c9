#include "app/library/DrawerState.h"

#include "app/store/ProjectStore.h"

namespace sorvel {

DrawerState DrawerState::of(const QSet<QUuid>& selection, const ProjectStore& store) {
    if (selection.size() >= 2)
        return {Kind::Multiple, {}};
    if (selection.size() == 1) {
        const QUuid id = *selection.cbegin();
        if (store.project(id))
            return {Kind::Detail, id};
    }
    return {};
}

} // namespace sorvel
