#include "app/settings/UpdateRelease.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace sorvel {

std::optional<UpdateRelease> UpdateRelease::decode(const QByteArray& body) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue version = object.value(QStringLiteral("version"));
    const QJsonValue url = object.value(QStringLiteral("url"));
    const QJsonValue notes = object.value(QStringLiteral("notes"));
    if (!version.isString() || !url.isString() || !notes.isArray())
        return std::nullopt;

    UpdateRelease release;
    release.version = version.toString();
    release.url = QUrl(url.toString(), QUrl::StrictMode);
    if (!release.url.isValid() || release.url.scheme() != QLatin1String("https") || release.url.host().isEmpty())
        return std::nullopt;
    for (const QJsonValue note : notes.toArray()) {
        if (!note.isString())
            return std::nullopt;
        release.notes << note.toString();
    }
    return release;
}

} // namespace sorvel
