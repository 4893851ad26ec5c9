#pragma once

// The names under which the settings file keeps each choice, for every layer
// that reads or writes one: the settings window writes what the panel, the
// shelf and the update checker read, and none of them includes another for it.
namespace sorvel::SettingsKeys {

// Appearance.
inline constexpr const char* accent = "appearance.accent";
inline constexpr const char* mainOpacity = "appearance.mainOpacity";
inline constexpr const char* panelOpacity = "appearance.panelOpacity";
inline constexpr const char* handleColor = "appearance.handleColor";
inline constexpr const char* panelTint = "appearance.panelTint";
inline constexpr const char* panelMaterial = "appearance.panelMaterial";

// The edge panel.
inline constexpr const char* edgePanelEnabled = "edgePanelEnabled";
inline constexpr const char* edgePanelSide = "edgePanelSide";

// Archiving.
inline constexpr const char* archiveDirectory = "archiveDirectory";
inline constexpr const char* archiveMoveFolders = "archiveMoveFolders";
inline constexpr const char* archiveWriteSummary = "archiveWriteSummary";

// Updates.
inline constexpr const char* updateAutoCheck = "updateAutoCheck";
inline constexpr const char* updateLastCheck = "updateLastCheck";
inline constexpr const char* updateSkippedVersion = "updateSkippedVersion";
inline constexpr const char* updateFeedURL = "updateFeedURL";

// The shelf: tapes or a list.
inline constexpr const char* shelfMode = "shelfMode";

} // namespace sorvel::SettingsKeys
