#include "widget/NextStep.h"

#include "core/CueText.h"
#include "core/RecordCoding.h"

namespace sorvel::NextStep {

namespace {
const QString separator = QStringLiteral(" · ");
} // namespace

Form form(const AudioProject& project) {
    if (project.progressMode == ProgressMode::Auto && project.nextItem())
        return Form::AdvanceCue;
    if (project.progressMode == ProgressMode::Manual && project.manualProgress < 1.0)
        return Form::AddProgress;
    return Form::Status;
}

std::optional<WidgetIntent> intent(const AudioProject& project) {
    const QString projectID = RecordCoding::idText(project.id);
    switch (form(project)) {
    case Form::AdvanceCue: {
        const Cue& next = *project.nextItem();
        return ToggleItemIntent{projectID, RecordCoding::idText(next.id), next.stage, next.number, next.title};
    }
    case Form::AddProgress: return AdjustProgressIntent{projectID, progressStep};
    case Form::Status: break;
    }
    return std::nullopt;
}

IntentOutcome perform(FileSystem& files, const WidgetIntent& intent, const FolderLock::Waiter& waiter,
                      FileError* failure) {
    return std::visit([&](const auto& chosen) { return chosen.perform(files, waiter, failure); }, intent);
}

QString cueLabel(const Cue& cue) {
    return CueText::shownNumber(cue) + separator + title(cue.stage);
}

QString advanceHelp(const Cue& cue) {
    const std::optional<CueStage> next = nextStage(cue.stage);
    return QStringLiteral("推进「") + CueText::shownNumber(cue) + QStringLiteral("」：") + title(cue.stage)
        + QStringLiteral(" → ") + (next ? title(*next) : QString());
}

QString rowLine(const AudioProject& project) {
    if (const Cue* next = project.nextItem())
        return QStringLiteral("NEXT") + separator + CueText::shownNumber(*next) + separator + title(next->stage);
    return project.cueSummary();
}

} // namespace sorvel::NextStep
