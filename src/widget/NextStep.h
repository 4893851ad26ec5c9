#pragma once

#include "core/AudioProject.h"
#include "core/WidgetIntents.h"

#include <QString>

#include <optional>
#include <variant>

namespace sorvel {

// What a widget button does when tapped, fixed when the entry is drawn.
using WidgetIntent = std::variant<ToggleItemIntent, AdjustProgressIntent>;

// The one step a widget control offers for a project.
namespace NextStep {

enum class Form {
    AdvanceCue, // automatic progress with a cue left: move that cue one stage on
    AddProgress, // manual progress below 1: add ten points
    Status, // nothing to do from the widget: the status is shown
};

constexpr double progressStep = 0.1;

// Automatic with a next cue, else manual below 1.0, else the status. The
// project's status plays no part; a manual value that is not a number gives
// the status form.
Form form(const AudioProject& project);
// The intent of the advance and add forms; none for the status form.
std::optional<WidgetIntent> intent(const AudioProject& project);
// Runs an intent on the data file through `files`, under the data folder's
// lock; a write that failed puts its reason in `failure`.
IntentOutcome perform(FileSystem& files, const WidgetIntent& intent, const FolderLock::Waiter& waiter,
                      FileError* failure);

// "<number> · <stage title>" of a cue (the small view's control).
QString cueLabel(const Cue& cue);
// "推进「<number>」：<stage title> → <next stage title>" (the row's tooltip).
QString advanceHelp(const Cue& cue);
// "NEXT · <number> · <stage title>" of the next cue, else the cue summary.
QString rowLine(const AudioProject& project);

} // namespace NextStep

} // namespace sorvel
