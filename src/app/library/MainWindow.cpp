#include "app/library/MainWindow.h"

#include <QApplication>

namespace sorvel {

MainWindow::MainWindow(ProjectStore& store, AppRouter& router, QWidget* parent)
    : QMainWindow(parent), m_store(store), m_router(router) {
    setWindowTitle(QStringLiteral("Sorvel"));
}

void MainWindow::bringToFront() {
    show();
    raise();
    activateWindow();
}

} // namespace sorvel
