#include "core/ProjectType.h"

#include "core/SystemColors.h"

namespace sorvel {

// Built from constants so they are ready before any other static initialiser reads them.
const QUuid ProjectType::musicID{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
const QUuid ProjectType::sfxID{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
const QUuid ProjectType::ambienceID{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3};
const QUuid ProjectType::voiceID{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4};
const QUuid ProjectType::otherID{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5};

const QList<ProjectType>& ProjectType::defaults() {
    static const QList<ProjectType> types{
        {musicID, QStringLiteral("配乐"), QStringLiteral("music.note"), QString::fromLatin1(SystemColors::pink)},
        {sfxID, QStringLiteral("音效"), QStringLiteral("waveform"), QString::fromLatin1(SystemColors::orange)},
        {ambienceID, QStringLiteral("环境声"), QStringLiteral("wind"), QString::fromLatin1(SystemColors::teal)},
        {voiceID, QStringLiteral("对白"), QStringLiteral("mic"), QString::fromLatin1(SystemColors::blue)},
        {otherID, QStringLiteral("其他"), QStringLiteral("square.stack"), QString::fromLatin1(SystemColors::gray)},
    };
    return types;
}

const ProjectType& ProjectType::fallback() {
    static const ProjectType type{otherID, QStringLiteral("未分类"), QStringLiteral("square.stack"),
                                  QString::fromLatin1(SystemColors::gray)};
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
