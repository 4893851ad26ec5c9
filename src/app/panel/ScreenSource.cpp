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

QList<ScreenArea> SystemScreenSource::screens() const {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return {};
    const auto area = [](const QScreen* screen) {
        return ScreenArea{QRectF(screen->geometry()), QRectF(screen->availableGeometry())};
    };
    QList<ScreenArea> areas{area(primary)};
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            areas << area(screen);
    }
    return areas;
}

void SystemScreenSource::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &ScreenSource::changed);
    connect(screen, &QScreen::availableGeometryChanged, this, &ScreenSource::changed);
}

} // namespace sorvel
