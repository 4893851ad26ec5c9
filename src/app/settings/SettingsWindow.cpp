#include "app/settings/SettingsWindow.h"

#include "app/settings/AppearanceSettings.h"
#include "app/settings/GeneralSettings.h"
#include "app/settings/TypeEditor.h"
#include "app/settings/UpdateChecker.h"
#include "app/store/ProjectStore.h"
#include "core/Settings.h"
#include "studio/AppearanceHost.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace sorvel {

SettingsWindow::SettingsWindow(ProjectStore& store, Settings& settings, UpdateChecker& updates, QWidget* parent)
    : QWidget(parent, Qt::Window), m_settings(settings) {
    setWindowTitle(QStringLiteral("设置"));
    setFixedSize(windowWidth, windowHeight);
    // Always dark, in the accent of the moment.
    applyAccent();
    setAutoFillBackground(true);
    connect(&m_settings, &Settings::changed, this, [this](const QString& key) {
        if (key == AppearanceHost::accentKey)
            applyAccent();
    });

    m_tabs = new QTabWidget(this);
    m_tabs->setDocumentMode(true);
    m_tabs->setFont(Studio::font(13));
    m_general = new GeneralSettings(settings, updates, GeneralSettings::systemDesktop());
    m_appearance = new AppearanceSettings(settings);
    m_types = new TypeEditor(store);
    const QColor ink = Studio::text();
    m_tabs->addTab(m_general, Symbols::icon(QStringLiteral("gearshape"), ink), QStringLiteral("通用"));
    m_tabs->addTab(m_appearance, Symbols::icon(QStringLiteral("paintpalette"), ink), QStringLiteral("外观"));
    m_tabs->addTab(m_types, Symbols::icon(QStringLiteral("tag"), ink), QStringLiteral("类型"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 8, 0, 0);
    column->addWidget(m_tabs);
}

void SettingsWindow::bringToFront() {
    show();
    if (!m_placed) {
        // Centred the first time; afterwards it stays where the user left it.
        m_placed = true;
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
    }
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void SettingsWindow::showEvent(QShowEvent* event) {
    // The accent may have been stored by another program while this was hidden.
    applyAccent();
    QWidget::showEvent(event);
}

void SettingsWindow::applyAccent() {
    const QColor accent = AppearanceHost::accentColor(m_settings);
    if (property(Studio::tintProperty()).value<QColor>() == accent)
        return;
    setPalette(Studio::palette(accent));
    setProperty(Studio::tintProperty(), accent);
    // The switches and buttons read the tint when they paint; the palette
    // change alone does not reach all of them.
    update();
}

void SettingsWindow::keyPressEvent(QKeyEvent* event) {
    // Ctrl+W closes it like any other window; a field that uses the keys keeps them.
    if (event->matches(QKeySequence::Close)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace sorvel
