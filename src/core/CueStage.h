#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace sorvel {

// Stages of a cue, declared in workflow order; comparisons follow that order.
enum class CueStage { NotStarted, Composing, Revising, Mixed, Delivered };

const QList<CueStage>& allCueStages();
QString storedText(CueStage stage); // "notStarted", "composing", "revising", "mixed", "delivered"
QString title(CueStage stage); // "未开始", "作曲中", "修改中", "已录混", "已交付"
std::optional<CueStage> cueStageFromText(const QString& text);
// The following stage, none after delivered.
std::optional<CueStage> nextStage(CueStage stage);

} // namespace sorvel
