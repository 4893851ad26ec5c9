#include "widget/WidgetHost.h"

#include "widget/ProjectsProvider.h"
#include "widget/SorvelWidgetView.h"
#include "widget/WidgetWindow.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace sorvel {

namespace {
constexpr int screenGap = 24;
} // namespace

WidgetHost::WidgetHost(const QList<WidgetFamily>& families, RenderingMode mode, Settings& settings,
                       LinkOpener openLink, QObject* parent)
    : QObject(parent), m_openLink(openLink ? std::move(openLink) : [](const QUrl& link) {
          QDesktopServices::openUrl(link);
      }),
      m_mode(mode), m_settings(settings) {
    m_expiry.setSingleShot(true);
    // A coarse timer may fire a little early; the timeline holds until its moment.
    m_expiry.setTimerType(Qt::PreciseTimer);
    connect(&m_expiry, &QTimer::timeout, this, &WidgetHost::reloadAll);
    for (const WidgetFamily family : families)
        addWindow(family);
}

WidgetWindow* WidgetHost::addWindow(WidgetFamily family) {
    auto* window = new WidgetWindow(family, m_mode, m_settings);
    m_windows.append(window);
    connect(window->view(), &SorvelWidgetView::linkRequested, this, [this](const QUrl& link) { m_openLink(link); });
    connect(window->view(), &SorvelWidgetView::intentRequested, this, &WidgetHost::perform);
    // While `destroyed` runs, the guard of the window going away may still be set.
    connect(window, &QObject::destroyed, this, [this](QObject* gone) {
        const QList<WidgetWindow*> open = windows();
        if (std::all_of(open.begin(), open.end(), [gone](const QObject* window) { return window == gone; }))
            Q_EMIT allClosed();
    });
    return window;
}

WidgetHost::~WidgetHost() {
    for (WidgetWindow* window : windows()) {
        disconnect(window, nullptr, this, nullptr);
        delete window;
    }
}

QList<WidgetWindow*> WidgetHost::windows() const {
    QList<WidgetWindow*> open;
    for (const QPointer<WidgetWindow>& window : m_windows) {
        if (window)
            open.append(window.data());
    }
    return open;
}

void WidgetHost::start() {
    reloadAll();
    for (WidgetWindow* window : windows())
        place(window);
}

void WidgetHost::show(const QList<WidgetFamily>& families) {
    for (const WidgetFamily family : families) {
        const QList<WidgetWindow*> open = windows();
        const bool shown = std::any_of(open.begin(), open.end(),
                                       [family](const WidgetWindow* window) { return window->family() == family; });
        if (shown)
            continue;
        WidgetWindow* window = addWindow(family);
        window->view()->setEntry(m_timeline.entry);
        place(window);
    }
}

void WidgetHost::place(WidgetWindow* window) {
    window->placeAtStart(fallbackPosition(window));
    window->showOnDesktop();
}

void WidgetHost::reloadAll() {
    m_timeline = ProjectsProvider::timeline();
    ++m_reloads;
    for (WidgetWindow* window : windows())
        window->view()->setEntry(m_timeline.entry);
    m_expiry.start(qMax<qint64>(0, QDateTime::currentDateTimeUtc().msecsTo(m_timeline.reloadAt)));
}

void WidgetHost::perform(const WidgetIntent& intent) {
    NextStep::perform(intent);
    reloadAll();
}

int WidgetHost::msUntilReload() const {
    return m_expiry.isActive() ? m_expiry.remainingTime() : 0;
}

// The first time, the windows stack down the right edge of the main screen
// in the order of the sizes.
QPoint WidgetHost::fallbackPosition(const WidgetWindow* window) const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    int top = area.top() + screenGap;
    for (const WidgetFamily family : WidgetFamilies::all()) {
        if (family == window->family())
            break;
        top += WidgetFamilies::size(family).height() + screenGap;
    }
    return {area.right() + 1 - screenGap - window->width(), top};
}

} // namespace sorvel
