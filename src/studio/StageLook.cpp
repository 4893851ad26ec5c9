#include "studio/StageLook.h"

#include "studio/Studio.h"

#include "core/SystemColors.h"

namespace sorvel {

namespace {
QColor stageColor(const char* hex) {
    return Studio::color(QString::fromLatin1(hex), Studio::text3());
}
} // namespace

StageLook StageLook::of(CueStage stage) {
    const QString name = sorvel::title(stage);
    switch (stage) {
    case CueStage::NotStarted: return {QStringLiteral("circle.dashed"), name, Studio::text3()};
    case CueStage::Composing: return {QStringLiteral("pencil"), name, stageColor("FFB340")};
    case CueStage::Revising: return {QStringLiteral("arrow.triangle.2.circlepath"), name, Studio::tape()};
    case CueStage::Mixed: return {QStringLiteral("slider.vertical.3"), name, stageColor("5AC8FA")};
    case CueStage::Delivered: return {QStringLiteral("checkmark"), name, stageColor(SystemColors::green)};
    }
    return {QStringLiteral("circle.dashed"), name, Studio::text3()};
}

} // namespace sorvel
