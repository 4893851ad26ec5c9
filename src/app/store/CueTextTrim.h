#pragma once

#include <QUuid>

namespace sorvel {
class ProjectStore;
}

namespace sorvel::CueTextTrim {

// Stores a cue's number and title without the white space around them, as
// typed text is stored (CueText::trim), through the store's updateCue, which
// stamps the project and saves. With nothing to trim nothing changes and
// nothing is written.
void trim(ProjectStore& store, const QUuid& projectID, const QUuid& cueID);

} // namespace sorvel::CueTextTrim
