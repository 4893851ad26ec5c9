#include "studio/AppearanceHost.h"

#include "studio/Studio.h"

#include "core/Settings.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cmath>

namespace sorvel {

AppearanceHost::AppearanceHost(QWidget* content, Target target, Settings& settings)
    : QObject(content), m_content(content), m_target(target), m_settings(settings) {
    connect(&m_settings, &Settings::changed, this, &AppearanceHost::onSettingChanged);
    if (content)
        content->window()->installEventFilter(this);
    applyAccent();
    applyOpacity();
}

QColor AppearanceHost::accentColor(const Settings& settings) {
    return Studio::color(settings.string(accentKey), Studio::tape());
}

double AppearanceHost::opacityFor(const Settings& settings, Target target) {
    const double stored = settings.real(opacityKey(target), 1.0);
    if (!std::isfinite(stored))
        return 1.0;
    return qBound(minimumOpacity(target), stored, 1.0);
}

void AppearanceHost::onSettingChanged(const QString& key) {
    if (key == accentKey)
        applyAccent();
    else if (key == opacityKey(m_target))
        applyOpacity();
}

void AppearanceHost::applyAccent() {
    const QColor accent = accentColor(m_settings);
    const bool changed = accent != m_accent;
    m_accent = accent;
    if (m_content) {
        QPalette palette = m_content->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::Highlight, accent);
            palette.setColor(group, QPalette::Link, accent);
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
            palette.setColor(group, QPalette::Accent, accent);
#endif
        }
        m_content->setPalette(palette);
        m_content->setProperty(Studio::tintProperty(), accent);
        if (changed)
            tellWidgets();
    }
    if (changed)
        Q_EMIT accentChanged(accent);
}

void AppearanceHost::tellWidgets() {
    // A parent's repaint does not reach every child (a scroll area's content
    // keeps its own), so each widget that may draw the tint is asked.
    QList<QWidget*> widgets = m_content->findChildren<QWidget*>();
    widgets.prepend(m_content);
    for (QWidget* widget : std::as_const(widgets)) {
        widget->update();
        QEvent changed(Studio::tintChangeEvent());
        QCoreApplication::sendEvent(widget, &changed);
    }
}

void AppearanceHost::applyOpacity() {
    const double opacity = opacityFor(m_settings, m_target);
    const bool changed = opacity != m_opacity;
    m_opacity = opacity;
    scheduleWindowOpacity();
    if (changed)
        Q_EMIT opacityChanged(opacity);
}

void AppearanceHost::scheduleWindowOpacity() {
    if (m_scheduled)
        return;
    m_scheduled = true;
    // From the event loop, so a window made in the same turn exists by then.
    QTimer::singleShot(0, this, [this] {
        m_scheduled = false;
        if (!m_content)
            return;
        QWidget* window = m_content->window();
        if (window->testAttribute(Qt::WA_WState_Created))
            window->setWindowOpacity(m_opacity);
    });
}

bool AppearanceHost::eventFilter(QObject* watched, QEvent* event) {
    if (m_content && watched == m_content->window() && event->type() == QEvent::Show)
        scheduleWindowOpacity();
    return QObject::eventFilter(watched, event);
}

} // namespace sorvel
