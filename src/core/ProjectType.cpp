#include "core/ProjectType.h"

namespace sorvel {

// Built from constants so they are ready before any other static initialiser reads them.
const QUuid ProjectType::musicID{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
const QUuid ProjectType::sfxID{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
const QUuid ProjectType::ambienceID{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3};
const QUuid ProjectType::voiceID{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4};
const QUuid ProjectType::otherID{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5};

const QList<ProjectType>& ProjectType::defaults() {
    static const QList<ProjectType> types{
        {musicID, QStringLiteral("配乐"), QStringLiteral("music.note"), QStringLiteral("FF2D55")},
        {sfxID, QStringLiteral("音效"), QStringLiteral("waveform"), QStringLiteral("FF9500")},
        {ambienceID, QStringLiteral("环境声"), QStringLiteral("wind"), QStringLiteral("30B0C7")},
        {voiceID, QStringLiteral("对白"), QStringLiteral("mic"), QStringLiteral("007AFF")},
        {otherID, QStringLiteral("其他"), QStringLiteral("square.stack"), QStringLiteral("8E8E93")},
    };
    return types;
}

const ProjectType& ProjectType::fallback() {
    static const ProjectType type{otherID, QStringLiteral("未分类"), QStringLiteral("square.stack"),
                                  QStringLiteral("8E8E93")};
    return type;
}

QUuid ProjectType::legacyID(const QString& kind) {
    if (kind == QLatin1String("music"))
        return musicID;
    if (kind == QLatin1String("sfx"))
        return sfxID;
    if (kind == QLatin1String("ambience"))
        return ambienceID;
    if (kind == QLatin1String("voice"))
        return voiceID;
    return otherID;
}

ProjectType ProjectType::find(const QList<ProjectType>& types, const QUuid& id) {
    for (const ProjectType& candidate : types) {
        if (candidate.id == id)
            return candidate;
    }
    if (!types.isEmpty())
        return types.first();
    return fallback();
}

} // namespace sorvel
