#include "app/panel/ScreenSource.h"

#include <QGuiApplication>
#include <QScreen>

namespace sorvel {

SystemScreenSource::SystemScreenSource(QObject* parent) : ScreenSource(parent) {
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        Q_EMIT changed();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &ScreenSource::changed);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &ScreenSource::changed);
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
}

std::optional<ScreenArea> SystemScreenSource::primary() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return ScreenArea{QRectF(screen->geometry()), QRectF(screen->availableGeometry())};
}

void SystemScreenSource::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &ScreenSource::changed);
    connect(screen, &QScreen::availableGeometryChanged, this, &ScreenSource::changed);
}

} // namespace sorvel
