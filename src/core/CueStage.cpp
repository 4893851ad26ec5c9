#include "core/CueStage.h"

#include "core/EnumText.h"

namespace sorvel {

const QList<CueStage>& allCueStages() {
    static const QList<CueStage> all{CueStage::NotStarted, CueStage::Composing, CueStage::Revising,
                                     CueStage::Mixed, CueStage::Delivered};
    return all;
}

QString storedText(CueStage stage) {
    switch (stage) {
    case CueStage::NotStarted: return QStringLiteral("notStarted");
    case CueStage::Composing: return QStringLiteral("composing");
    case CueStage::Revising: return QStringLiteral("revising");
    case CueStage::Mixed: return QStringLiteral("mixed");
    case CueStage::Delivered: return QStringLiteral("delivered");
    }
    return {};
}

QString title(CueStage stage) {
    switch (stage) {
    case CueStage::NotStarted: return QStringLiteral("未开始");
    case CueStage::Composing: return QStringLiteral("作曲中");
    case CueStage::Revising: return QStringLiteral("修改中");
    case CueStage::Mixed: return QStringLiteral("已录混");
    case CueStage::Delivered: return QStringLiteral("已交付");
    }
    return {};
}

std::optional<CueStage> cueStageFromText(const QString& text) {
    return caseFromStoredText(allCueStages(), text);
}

std::optional<CueStage> nextStage(CueStage stage) {
    const QList<CueStage>& all = allCueStages();
    const qsizetype position = all.indexOf(stage);
    if (position < 0 || position + 1 >= all.size())
        return std::nullopt;
    return all.at(position + 1);
}

} // namespace sorvel
