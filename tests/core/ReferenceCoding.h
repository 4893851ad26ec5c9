#pragma once

#include "core/Library.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

namespace sorvel::test::ReferenceCoding {

// The same functions as RecordCoding's, done through QJsonDocument and
// QDateTime::toString as before the faster coding.
std::optional<QUuid> parseID(const QString& text);
QString idText(const QUuid& id);
std::optional<QDateTime> parseDate(const QString& text);
QString dateText(const QDateTime& date);
std::optional<Library> decodeLibrary(const QByteArray& bytes, const QDateTime& undatedAs, QString* error = nullptr);
QByteArray encodeLibrary(const Library& library);

} // namespace sorvel::test::ReferenceCoding
