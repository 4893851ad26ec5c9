#include "app/shell/SettingsWindow.h"

namespace sorvel {

SettingsWindow::SettingsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("设置"));
    resize(560, 420);
}

void SettingsWindow::bringToFront() {
    show();
    raise();
    activateWindow();
}

} // namespace sorvel
