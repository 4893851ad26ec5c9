#include "core/CueStage.h"

#include "core/EnumText.h"

namespace sorvel {

namespace {

constexpr EnumTable<CueStage, 5> cueStages({{
    {CueStage::NotStarted, u"notStarted", u"未开始"},
    {CueStage::Composing, u"composing", u"作曲中"},
    {CueStage::Revising, u"revising", u"修改中"},
    {CueStage::Mixed, u"mixed", u"已录混"},
    {CueStage::Delivered, u"delivered", u"已交付"},
}});

} // namespace

const QList<CueStage>& allCueStages() {
    static const QList<CueStage> all = cueStages.cases();
    return all;
}

QString storedText(CueStage stage) {
    return cueStages.storedText(stage);
}

QString title(CueStage stage) {
    return cueStages.title(stage);
}

std::optional<CueStage> cueStageFromText(const QString& text) {
    return cueStages.fromStoredText(text);
}

std::optional<CueStage> nextStage(CueStage stage) {
    const QList<CueStage>& all = allCueStages();
    const qsizetype position = all.indexOf(stage);
    if (position < 0 || position + 1 >= all.size())
        return std::nullopt;
    return all.at(position + 1);
}

} // namespace sorvel
