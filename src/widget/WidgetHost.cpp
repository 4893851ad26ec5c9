#include "widget/WidgetHost.h"

#include "widget/ProjectsProvider.h"
#include "widget/SorvelWidgetView.h"
#include "widget/WidgetWindow.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>

namespace sorvel {

namespace {
constexpr int screenGap = 24;
} // namespace

WidgetHost::WidgetHost(const QList<WidgetFamily>& families, RenderingMode mode, Settings& settings,
                       LinkOpener openLink, QObject* parent)
    : QObject(parent), m_openLink(openLink ? std::move(openLink) : [](const QUrl& link) {
          QDesktopServices::openUrl(link);
      }) {
    m_expiry.setSingleShot(true);
    // A coarse timer may fire a little early; the timeline holds until its moment.
    m_expiry.setTimerType(Qt::PreciseTimer);
    connect(&m_expiry, &QTimer::timeout, this, &WidgetHost::reloadAll);
    for (const WidgetFamily family : families) {
        auto* window = new WidgetWindow(family, mode, settings);
        m_windows.append(window);
        connect(window->view(), &SorvelWidgetView::linkRequested, this, [this](const QUrl& link) { m_openLink(link); });
        connect(window->view(), &SorvelWidgetView::intentRequested, this, &WidgetHost::perform);
        connect(window, &QObject::destroyed, this, [this] {
            if (windows().isEmpty())
                Q_EMIT allClosed();
        });
    }
}

WidgetHost::~WidgetHost() {
    for (const QPointer<WidgetWindow>& window : std::as_const(m_windows))
        delete window.data();
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
    int index = 0;
    for (WidgetWindow* window : windows()) {
        window->placeAtStart(fallbackPosition(index++, window->size()));
        window->show();
    }
}

void WidgetHost::reloadAll() {
    m_timeline = ProjectsProvider::timeline();
    ++m_reloads;
    for (WidgetWindow* window : windows())
        window->view()->setEntry(m_timeline.entry);
    m_expiry.start(qMax<qint64>(0, QDateTime::currentDateTimeUtc().msecsTo(m_timeline.reloadAt)));
    Q_EMIT reloaded();
}

void WidgetHost::perform(const WidgetIntent& intent) {
    NextStep::perform(intent);
    reloadAll();
}

int WidgetHost::msUntilReload() const {
    return m_expiry.isActive() ? m_expiry.remainingTime() : 0;
}

// The first start stacks the windows down the right edge of the main screen.
QPoint WidgetHost::fallbackPosition(int index, const QSize& size) const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    int top = area.top() + screenGap;
    const QList<WidgetWindow*> open = windows();
    for (int i = 0; i < index && i < open.size(); ++i)
        top += open.at(i)->height() + screenGap;
    return {area.right() + 1 - screenGap - size.width(), top};
}

} // namespace sorvel
