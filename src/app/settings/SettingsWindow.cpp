#include "app/settings/SettingsWindow.h"

#include "app/desktop/SharedStore.h"
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

SettingsWindow::SettingsWindow(QWidget* parent)
    : SettingsWindow(SharedStore::instance(), Settings::shared(), UpdateChecker::shared(), parent) {}

SettingsWindow::SettingsWindow(ProjectStore& store, Settings& settings, UpdateChecker& updates, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("设置"));
    setFixedSize(windowWidth, windowHeight);
    // Always dark; the accent is the one stored when the window was built.
    const QColor accent = AppearanceHost::accentColor(settings);
    setPalette(Studio::palette(accent));
    setProperty(Studio::tintProperty(), accent);
    setAutoFillBackground(true);

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

void SettingsWindow::keyPressEvent(QKeyEvent* event) {
    // Ctrl+W closes it like any other window; a field that uses the keys keeps them.
    if (event->matches(QKeySequence::Close)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace sorvel
