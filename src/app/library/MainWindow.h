#pragma once

#include "app/calendar/CalendarPage.h"
#include "app/library/DrawerState.h"
#include "app/library/StudioSidebar.h"
#include "app/library/TapeShelf.h"

#include <QMainWindow>
#include <QPoint>
#include <QPointer>

#include <algorithm>
#include <optional>

class QVariantAnimation;

namespace sorvel {

class AppRouter;
class AppearanceHost;
class CalendarPage;
class MultiSelectionView;
class ProjectStore;
class Settings;
class SheetPresenter;
class StudioSidebar;
class TapeShelf;

// The library window: sidebar, shelf or calendar, drawer, and its sheets.
// Everything it shows follows from the router and the store. Closing it
// only hides it; the application keeps running in the tray.
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr QSize initialSize{1320, 780};
    static constexpr int drawerWidth = 600;
    static constexpr int ruleWidth = 1;
    // Wide enough for the sidebar, an open drawer and, between them, a page
    // whose header, summary and calendar stay whole.
    static constexpr QSize minimumWindowSize{StudioSidebar::fixedWidth + ruleWidth
                                                 + std::max(TapeShelf::minimumWidth, CalendarPage::minimumWidth)
                                                 + ruleWidth + drawerWidth,
                                             600};
    static constexpr int drawerAnimationMs = 220;

    MainWindow(ProjectStore& store, AppRouter& router, Settings& settings, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the window (again) and brings it to the front.
    void bringToFront();

    StudioSidebar* sidebar() const { return m_sidebar; }
    TapeShelf* shelf() const { return m_shelf; }
    CalendarPage* calendar() const { return m_calendar; }
    SheetPresenter* sheets() const { return m_sheets; }
    // The window's accent and opacity, as the appearance settings have them.
    AppearanceHost* appearance() const { return m_appearance; }
    DrawerState drawerState() const { return m_drawer; }
    // The drawer's content: the detail pane or the multi-selection, none without drawer.
    QWidget* drawerContent() const { return m_drawerContent; }
    // Whether the page column (shelf or calendar) is shown beside the drawer.
    bool pageVisible() const;
    // The width the drawer takes once its animation has ended.
    int drawerTargetWidth() const;

Q_SIGNALS:
    // The sidebar's settings link was pressed.
    void settingsRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void syncDrawer();
    void animateDrawerTo(int width);
    void layoutColumns();
    void dropDrawerContent();

    ProjectStore& m_store;
    AppRouter& m_router;
    QWidget* m_columns;
    StudioSidebar* m_sidebar;
    TapeShelf* m_shelf;
    CalendarPage* m_calendar;
    QWidget* m_drawerBox;
    QPointer<QWidget> m_drawerContent;
    MultiSelectionView* m_multiSelection = nullptr;
    DrawerState m_drawer;
    qreal m_drawerShown = 0; // the visible width of the drawer, animated
    QVariantAnimation* m_drawerAnimation;
    SheetPresenter* m_sheets;
    AppearanceHost* m_appearance;
    // Where the window's contents were when it was last closed or hidden; none once shown again.
    std::optional<QPoint> m_hiddenAt;
};

} // namespace sorvel
