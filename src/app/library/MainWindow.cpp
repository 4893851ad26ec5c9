#include "app/library/MainWindow.h"

#include "app/calendar/CalendarPage.h"
#include "app/detail/ProjectDetailView.h"
#include "app/library/SaveProblemBanner.h"
#include "app/library/SheetPresenter.h"
#include "app/library/StudioSidebar.h"
#include "app/library/TapeShelf.h"
#include "app/navigation/AppRouter.h"
#include "app/selection/MultiSelectionView.h"
#include "app/store/ProjectStore.h"
#include "studio/AppearanceHost.h"
#include "studio/ModalFocusRelay.h"
#include "studio/Studio.h"
#include "studio/X11WindowHints.h"

#include <QCloseEvent>
#include <QDialog>
#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QStackedLayout>
#include <QTimer>
#include <QVariantAnimation>
#include <QWindow>

#include <cmath>
#include <utility>

namespace sorvel {

namespace {

// Thin dark scroll bars in the studio colours; everything else is painted by the views.
QString scrollBarSheet() {
    const QString handle = Studio::line().name();
    const QString hover = Studio::text3().name();
    return QStringLiteral("QScrollBar:vertical { background: transparent; width: 10px; margin: 0; }"
                          "QScrollBar:horizontal { background: transparent; height: 10px; margin: 0; }"
                          "QScrollBar::handle { background: %1; border-radius: 3px; margin: 2px; }"
                          "QScrollBar::handle:hover { background: %2; }"
                          "QScrollBar::handle:vertical { min-height: 32px; }"
                          "QScrollBar::handle:horizontal { min-width: 32px; }"
                          "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; }"
                          "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
        .arg(handle, hover);
}

} // namespace

MainWindow::MainWindow(ProjectStore& store, AppRouter& router, Settings& settings, QWidget* parent)
    : QMainWindow(parent), m_store(store), m_router(router) {
    setWindowTitle(QStringLiteral("Sorvel"));
    setMinimumSize(minimumWindowSize);
    resize(initialSize);
    // Always dark, whatever the desktop's colours; the appearance host adds the accent.
    setPalette(Studio::palette(Studio::tape()));
    setFont(Studio::font(13));
    setStyleSheet(scrollBarSheet());

    m_columns = new QWidget(this);
    m_columns->installEventFilter(this);
    setCentralWidget(m_columns);
    setStatusBar(new SaveProblemBanner(store, this));

    m_sidebar = new StudioSidebar(store, router, m_columns);
    m_shelf = new TapeShelf(store, router, settings, m_columns);
    m_calendar = new CalendarPage(store, router, m_columns);

    m_drawerBox = new QWidget(m_columns);
    m_drawerBox->setAutoFillBackground(true);
    auto* drawerPages = new QStackedLayout(m_drawerBox);
    drawerPages->setContentsMargins(0, 0, 0, 0);
    m_multiSelection = new MultiSelectionView(store, router, m_drawerBox);
    drawerPages->addWidget(m_multiSelection);
    m_drawerBox->hide();

    m_drawerAnimation = new QVariantAnimation(this);
    m_drawerAnimation->setDuration(drawerAnimationMs);
    m_drawerAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_drawerAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_drawerShown = value.toReal();
        layoutColumns();
    });
    connect(m_drawerAnimation, &QVariantAnimation::finished, this, [this] {
        m_drawerBox->setGraphicsEffect(nullptr);
        if (!m_drawer.isPresent())
            dropDrawerContent();
        layoutColumns();
    });

    m_sheets = new SheetPresenter(this, store, router, settings);
    new ModalFocusRelay(this);
    m_appearance = new AppearanceHost(this, AppearanceHost::Target::Main, settings);

    connect(m_sidebar, &StudioSidebar::settingsRequested, this, &MainWindow::settingsRequested);
    connect(&m_router, &AppRouter::sidebarChanged, this, [this] {
        // Each visit of the calendar starts again at today's month.
        if (m_router.sidebar() == SidebarItem::calendar())
            m_calendar->showToday();
        layoutColumns();
    });
    connect(&m_router, &AppRouter::selectionChanged, this, &MainWindow::syncDrawer);
    connect(&m_router, &AppRouter::detailExpandedChanged, this, &MainWindow::syncDrawer);
    connect(&m_store, &ProjectStore::projectsChanged, this, &MainWindow::syncDrawer);

    syncDrawer();
}

MainWindow::~MainWindow() = default;

void MainWindow::bringToFront() {
    // Left on another workspace it would come back there, out of sight.
    X11WindowHints::moveToCurrentWorkspace(this);
    // Shown again where it was: a window manager places a hidden window anew
    // unless it is told where (the place of its contents, as the user left it).
    if (!isVisible() && m_hiddenAt && windowHandle())
        windowHandle()->setPosition(*std::exchange(m_hiddenAt, std::nullopt));
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    // A sheet requested while the window was minimized opens now, over the restored window.
    m_sheets->sync();
    // A sheet stays above its window, also where no window manager keeps it there.
    if (QDialog* sheet = m_sheets->currentDialog()) {
        sheet->raise();
        sheet->activateWindow();
    }
}

bool MainWindow::pageVisible() const {
    return m_shelf->isVisibleTo(m_columns) || m_calendar->isVisibleTo(m_columns);
}

int MainWindow::drawerTargetWidth() const {
    if (!m_drawer.isPresent())
        return 0;
    if (m_drawer.covers(m_router.detailExpanded()))
        return std::max(0, m_columns->width() - StudioSidebar::fixedWidth - 2 * ruleWidth);
    return drawerWidth;
}

void MainWindow::syncDrawer() {
    const DrawerState next = DrawerState::of(m_router.selection(), m_store);
    auto* pages = static_cast<QStackedLayout*>(m_drawerBox->layout());
    if (next.kind == DrawerState::Kind::Detail) {
        // Another project gets a fresh detail pane, so no editing state carries over.
        auto* detail = qobject_cast<ProjectDetailView*>(m_drawerContent.data());
        if (!detail || detail->projectID() != next.projectID) {
            dropDrawerContent();
            detail = new ProjectDetailView(next.projectID, m_store, m_router, m_drawerBox);
            pages->addWidget(detail);
            m_drawerContent = detail;
        }
        pages->setCurrentWidget(detail);
    } else if (next.kind == DrawerState::Kind::Multiple) {
        if (m_drawerContent != m_multiSelection)
            dropDrawerContent();
        m_multiSelection->setIDs(m_router.selection());
        m_drawerContent = m_multiSelection;
        pages->setCurrentWidget(m_multiSelection);
    }
    // With no drawer the old content stays while it slides out.
    m_drawer = next;
    animateDrawerTo(drawerTargetWidth());
}

void MainWindow::dropDrawerContent() {
    if (m_drawerContent && m_drawerContent != m_multiSelection)
        m_drawerContent->deleteLater();
    m_drawerContent = nullptr;
}

void MainWindow::animateDrawerTo(int width) {
    m_drawerAnimation->stop();
    if (!isVisible() || std::abs(m_drawerShown - width) < 0.5) {
        m_drawerShown = width;
        m_drawerBox->setGraphicsEffect(nullptr);
        if (width == 0)
            dropDrawerContent();
        layoutColumns();
        return;
    }
    // Arriving and leaving fade as well as slide; a change of width only slides.
    if ((m_drawerShown < drawerWidth || width < drawerWidth) && !m_drawerBox->graphicsEffect())
        m_drawerBox->setGraphicsEffect(new QGraphicsOpacityEffect(m_drawerBox));
    m_drawerAnimation->setStartValue(m_drawerShown);
    m_drawerAnimation->setEndValue(qreal(width));
    m_drawerAnimation->start();
}

void MainWindow::layoutColumns() {
    const int width = m_columns->width();
    const int height = m_columns->height();
    const int pageLeft = StudioSidebar::fixedWidth + ruleWidth;
    m_sidebar->setGeometry(0, 0, StudioSidebar::fixedWidth, height);

    const int shown = int(std::lround(m_drawerShown));
    const bool drawerOut = shown > 0;
    // The drawer keeps its final width while it slides, so its content does not reflow.
    const int drawerFull = std::max(shown, m_drawer.isPresent() ? drawerTargetWidth() : m_drawerBox->width());
    m_drawerBox->setVisible(drawerOut);
    if (drawerOut)
        m_drawerBox->setGeometry(width - shown, 0, drawerFull, height);
    if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(m_drawerBox->graphicsEffect()))
        effect->setOpacity(std::clamp(m_drawerShown / drawerWidth, 0.0, 1.0));

    const int pageWidth = width - pageLeft - (drawerOut ? shown + ruleWidth : 0);
    const bool calendar = m_router.sidebar() == SidebarItem::calendar();
    QWidget* page = calendar ? static_cast<QWidget*>(m_calendar) : m_shelf;
    QWidget* other = calendar ? static_cast<QWidget*>(m_shelf) : m_calendar;
    other->hide();
    const bool settled = m_drawerAnimation->state() == QAbstractAnimation::Stopped;
    const bool covered = m_drawer.covers(m_router.detailExpanded()) && settled;
    page->setVisible(pageWidth > 0 && !covered);
    if (pageWidth > 0)
        page->setGeometry(pageLeft, 0, pageWidth, height);
    m_columns->update();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window only hides: the tray and the edge panel keep the program reachable.
    event->ignore();
    hide();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Restored by the desktop (a task bar, a key): a sheet waiting for it opens.
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        QTimer::singleShot(0, m_sheets, &SheetPresenter::sync);
}

void MainWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    // Not minimized (that hide is the window system's own) but closed or hidden.
    if (!event->spontaneous())
        m_hiddenAt = geometry().topLeft();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // A sheet requested while the window was hidden opens once it is on screen.
    QTimer::singleShot(0, m_sheets, &SheetPresenter::sync);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_columns) {
        if (event->type() == QEvent::Resize) {
            if (m_drawerAnimation->state() == QAbstractAnimation::Running)
                m_drawerAnimation->stop();
            m_drawerShown = drawerTargetWidth();
            if (m_drawerShown == 0)
                dropDrawerContent();
            m_drawerBox->setGraphicsEffect(nullptr);
            layoutColumns();
        } else if (event->type() == QEvent::Paint) {
            QPainter painter(m_columns);
            painter.fillRect(m_columns->rect(), Studio::bg0());
            painter.fillRect(QRect(StudioSidebar::fixedWidth, 0, ruleWidth, m_columns->height()), Studio::line());
            const int shown = int(std::lround(m_drawerShown));
            if (shown > 0)
                painter.fillRect(QRect(m_columns->width() - shown - ruleWidth, 0, ruleWidth, m_columns->height()),
                                 Studio::line());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace sorvel
