#pragma once

#include "app/panel/EdgeGeometry.h"

#include <QObject>

class QScreen;

namespace sorvel {

// The screens' areas, the primary screen first, and word whenever screens are
// added, removed or change their geometry. Empty while the system reports no screen.
class ScreenSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QList<ScreenArea> screens() const = 0;

Q_SIGNALS:
    void changed();
};

class SystemScreenSource final : public ScreenSource {
    Q_OBJECT
public:
    explicit SystemScreenSource(QObject* parent = nullptr);

    QList<ScreenArea> screens() const override;

private:
    void watch(QScreen* screen);
};

} // namespace sorvel
