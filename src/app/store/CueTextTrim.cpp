#include "app/store/CueTextTrim.h"

#include "app/store/ProjectStore.h"
#include "core/CueText.h"

#include <algorithm>

namespace sorvel::CueTextTrim {

void trim(ProjectStore& store, const QUuid& projectID, const QUuid& cueID) {
    const AudioProject* found = store.project(projectID);
    if (!found)
        return;
    // The first cue of the id, as updateCue finds it.
    const auto cue =
        std::find_if(found->items.cbegin(), found->items.cend(), [&cueID](const Cue& c) { return c.id == cueID; });
    if (cue == found->items.cend())
        return;
    if (Cue trimmed = *cue; !CueText::trim(trimmed))
        return; // nothing to store, so nothing is stamped or written
    store.updateCue(projectID, cueID, [](Cue& c) { CueText::trim(c); });
}

} // namespace sorvel::CueTextTrim
