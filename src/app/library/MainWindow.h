#pragma once

#include <QMainWindow>

namespace sorvel {

class AppRouter;
class ProjectStore;

// The library window: sidebar, shelf or calendar, drawer, and its sheets.
// Closing it only hides it; the application keeps running in the tray.
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

    // Shows the window (again) and brings it to the front.
    void bringToFront();

private:
    ProjectStore& m_store;
    AppRouter& m_router;
};

} // namespace sorvel
