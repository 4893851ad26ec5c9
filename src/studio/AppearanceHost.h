#pragma once

#include "core/SettingsKeys.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace sorvel {

class Settings;

// Applies the user's appearance settings to one window: the accent colour
// (appearance.accent, Studio::tape() when empty or not a colour) as the
// window's tint, and the window opacity of its target (appearance.mainOpacity
// or appearance.panelOpacity). Follows every change of those keys.
//
// The tint is set as the palette's highlight and link roles of `content`,
// which its children inherit, and as the Studio::tintProperty() that
// Studio::tint() reads (popups parented inside see it too); then every widget
// of the content is repainted and sent Studio::tintChangeEvent(). The opacity is
// set on content's top-level window, always from the event loop after the
// window exists and again whenever it is shown.
class AppearanceHost final : public QObject {
    Q_OBJECT
public:
    enum class Target { Main, Panel };

    static inline const QString accentKey = QLatin1String(SettingsKeys::accent);
    static inline const QString mainOpacityKey = QLatin1String(SettingsKeys::mainOpacity);
    static inline const QString panelOpacityKey = QLatin1String(SettingsKeys::panelOpacity);

    // `content` is the root widget of the window; the host lives as long as it.
    AppearanceHost(QWidget* content, Target target, Settings& settings);

    Target target() const { return m_target; }
    QColor accent() const { return m_accent; }
    double opacity() const { return m_opacity; }

    static QColor accentColor(const Settings& settings);
    // The stored opacity of a target made safe: a value that is not a finite
    // number counts as 1.0, others are limited to the settings slider range
    // (main 0.4…1.0, panel 0.3…1.0), so a window never becomes invisible.
    static double opacityFor(const Settings& settings, Target target);
    static double minimumOpacity(Target target) { return target == Target::Main ? 0.4 : 0.3; }
    static QString opacityKey(Target target) { return target == Target::Main ? mainOpacityKey : panelOpacityKey; }

Q_SIGNALS:
    void accentChanged(const QColor& accent);
    void opacityChanged(double opacity);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onSettingChanged(const QString& key);
    void applyAccent();
    // Repaints every widget of the content and sends it Studio::tintChangeEvent().
    void tellWidgets();
    void applyOpacity();
    void scheduleWindowOpacity();

    QPointer<QWidget> m_content;
    Target m_target;
    Settings& m_settings;
    QColor m_accent;
    double m_opacity = 1.0;
    bool m_scheduled = false;
};

} // namespace sorvel
