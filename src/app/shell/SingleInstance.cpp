#include "app/shell/SingleInstance.h"

#include "app/navigation/SorvelLink.h"
#include "core/DataFolder.h"

#include <utility>

namespace sorvel {

QString SingleInstance::defaultSocketPath() {
    return DataFolder::runtimeDirectory() + QStringLiteral("/sorvel-app.socket");
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_instance(std::move(socketPath), QStringLiteral("Sorvel")) {
    connect(&m_instance, &LocalInstance::messageReceived, this,
            [this](const QByteArray& message) { Q_EMIT linkReceived(QString::fromUtf8(message)); });
}

SingleInstance::Claim SingleInstance::claim(const QString& link) {
    // Anything longer than a link may be is only told apart by its scheme, so
    // one character past the limit keeps its meaning.
    return m_instance.claim(link.left(SorvelLink::maxLength + 1).toUtf8());
}

} // namespace sorvel
