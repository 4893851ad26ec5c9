#include "app/library/TapeSelection.h"

#include "app/navigation/AppRouter.h"

namespace sorvel {

QSet<QUuid> TapeSelection::afterClick(const QSet<QUuid>& current, const QUuid& id, bool toggle) {
    if (toggle) {
        QSet<QUuid> next = current;
        if (!next.remove(id))
            next.insert(id);
        return next;
    }
    if (current.size() == 1 && current.contains(id))
        return {};
    return {id};
}

bool TapeSelection::togglesWith(Qt::KeyboardModifiers modifiers) {
    return modifiers.testFlag(Qt::ControlModifier);
}

void TapeSelection::click(AppRouter& router, const QUuid& id, Qt::KeyboardModifiers modifiers) {
    router.setSelection(afterClick(router.selection(), id, togglesWith(modifiers)));
}

void TapeSelection::clear(AppRouter& router) {
    router.setSelection({});
}

} // namespace sorvel
