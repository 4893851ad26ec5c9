#include "app/detail/DetailEdit.h"

#include "app/store/ProjectStore.h"

namespace sorvel::DetailEdit {

void stamped(ProjectStore& store, const QUuid& id, const std::function<void(AudioProject&)>& change) {
    const AudioProject* current = store.project(id);
    if (!current)
        return;
    AudioProject edited = *current;
    change(edited);
    store.replace(id, edited);
}

} // namespace sorvel::DetailEdit
