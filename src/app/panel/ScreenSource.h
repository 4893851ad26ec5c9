#pragma once

#include "app/panel/EdgeGeometry.h"

#include <QObject>

#include <optional>

class QScreen;

namespace sorvel {

// The primary screen's areas, and word whenever screens are added, removed
// or change their geometry. None while the system reports no screen.
class ScreenSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual std::optional<ScreenArea> primary() const = 0;

Q_SIGNALS:
    void changed();
};

class SystemScreenSource final : public ScreenSource {
    Q_OBJECT
public:
    explicit SystemScreenSource(QObject* parent = nullptr);

    std::optional<ScreenArea> primary() const override;

private:
    void watch(QScreen* screen);
};

} // namespace sorvel
