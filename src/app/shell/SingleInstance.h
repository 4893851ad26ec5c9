#pragma once

#include "instance/LocalInstance.h"

#include <QObject>
#include <QString>

namespace sorvel {

// One application per user: a later start hands its link to the running one
// and ends before it ever opens the data file (see LocalInstance).
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    using Claim = LocalInstance::Claim;
    static constexpr quint32 maxMessageBytes = LocalInstance::maxMessageBytes;

    // $XDG_RUNTIME_DIR/sorvel-app.socket; the lock file is beside it.
    static QString defaultSocketPath();

    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);

    // Hands `link` (empty: only come to the front) to a running instance, or
    // becomes the running instance when there is none.
    Claim claim(const QString& link);

    bool isListening() const { return m_instance.isListening(); }

Q_SIGNALS:
    // A later start asked this instance to come to the front; the link is
    // empty when it brought none.
    void linkReceived(const QString& link);

private:
    LocalInstance m_instance;
};

} // namespace sorvel
