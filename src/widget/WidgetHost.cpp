#include "widget/WidgetHost.h"

#include "core/RecordCoding.h"
#include "core/SorvelLinks.h"
#include "core/Storage.h"
#include "core/SystemErrorText.h"
#include "widget/ProjectsProvider.h"
#include "widget/SorvelWidgetView.h"
#include "widget/WidgetWindow.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace sorvel {

namespace {

constexpr int screenGap = 24;

// What a tap that its own tape kept from changing anything says; nothing otherwise.
QString tapeNotice(IntentOutcome outcome) {
    switch (outcome) {
    case IntentOutcome::TapeGone: return WidgetHost::tapeGoneText();
    case IntentOutcome::TapeChanged: return WidgetHost::tapeChangedText();
    case IntentOutcome::Done:
    case IntentOutcome::FolderBusy:
    case IntentOutcome::WriteFailed: break;
    }
    return {};
}

} // namespace

WidgetHost::WidgetHost(const QList<WidgetFamily>& families, RenderingMode mode, Settings& settings, LinkOpener openLink,
                       QObject* parent)
    : QObject(parent),
      m_openLink(openLink ? std::move(openLink) : [](const QUrl& link) { QDesktopServices::openUrl(link); }),
      m_settings(settings) {
    m_expiry.setSingleShot(true);
    // A coarse timer may fire a little early; the timeline holds until its moment.
    m_expiry.setTimerType(Qt::PreciseTimer);
    connect(&m_expiry, &QTimer::timeout, this, &WidgetHost::reloadAll);
    for (const WidgetFamily family : families)
        addWindow(family, mode);
}

WidgetWindow* WidgetHost::addWindow(WidgetFamily family, RenderingMode mode) {
    auto* window = new WidgetWindow(family, mode, m_settings);
    m_windows.append(window);
    connect(window->view(), &SorvelWidgetView::linkRequested, this,
            [this, view = window->view()](const QUrl& link) { open(link, view); });
    connect(window->view(), &SorvelWidgetView::intentRequested, this,
            [this, view = window->view()](const WidgetIntent& intent) { perform(intent, view); });
    // While `destroyed` runs, the window going away is a bare QObject, which
    // windows() no longer counts.
    connect(window, &QObject::destroyed, this, [this] {
        if (windows().isEmpty())
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
    for (const QPointer<QObject>& object : m_windows) {
        if (auto* window = qobject_cast<WidgetWindow*>(object.data()))
            open.append(window);
    }
    return open;
}

void WidgetHost::start() {
    reloadAll();
    for (WidgetWindow* window : windows())
        place(window);
}

void WidgetHost::show(const QList<WidgetFamily>& families, RenderingMode mode) {
    // Someone started the widget to look at the tapes: they see them as the file holds them now.
    reloadAll();
    for (const WidgetFamily family : families) {
        const QList<WidgetWindow*> open = windows();
        const auto shown = std::find_if(open.begin(), open.end(),
                                        [family](const WidgetWindow* window) { return window->family() == family; });
        if (shown != open.end()) {
            (*shown)->view()->setMode(mode);
            continue;
        }
        WidgetWindow* window = addWindow(family, mode);
        window->view()->setEntry(m_timeline.entry);
        place(window);
    }
}

void WidgetHost::place(WidgetWindow* window) {
    window->placeAtStart(fallbackPosition(window));
    window->showOnDesktop();
}

QString WidgetHost::folderBusyText() {
    return QStringLiteral("数据文件夹正忙，请稍后再试");
}

QString WidgetHost::tapeGoneText() {
    return QStringLiteral("这盘磁带已不在了，未作更改");
}

QString WidgetHost::tapeChangedText() {
    return QStringLiteral("这盘磁带已有变动，未作更改");
}

QString WidgetHost::writeFailedText(const FileError& failure) {
    const QString text = QStringLiteral("无法写入数据文件");
    return failure.number == 0 ? text : text + QStringLiteral("：") + SystemErrorText::describe(failure.number);
}

FolderLock::Waiter WidgetHost::folderWaiter() {
    return FolderLock::patientFor(FolderLock::usualPatienceMs, [](int ms) {
        QEventLoop pause;
        QTimer::singleShot(ms, &pause, &QEventLoop::quit);
        pause.exec(QEventLoop::ExcludeUserInputEvents);
    });
}

void WidgetHost::showNotice(const QString& text) {
    for (WidgetWindow* window : windows())
        window->view()->showNotice(text);
}

void WidgetHost::reloadAll() {
    if (m_usingFolder) {
        m_reloadWanted = true;
        return;
    }
    m_usingFolder = true;
    Timeline next = ProjectsProvider::timeline(folderWaiter());
    m_usingFolder = false;
    ++m_reloads;
    if (next.entry.folderBusy) {
        if (!m_hasRead)
            showNotice(folderBusyText());
        m_reloadWanted = false; // the retry reads for it
        m_expiry.start(busyRetryMs);
        return;
    }
    m_hasRead = true;
    m_timeline = std::move(next);
    for (WidgetWindow* window : windows())
        window->view()->setEntry(m_timeline.entry);
    m_expiry.start(qMax<qint64>(0, QDateTime::currentDateTimeUtc().msecsTo(m_timeline.reloadAt)));
    if (std::exchange(m_reloadWanted, false))
        QTimer::singleShot(0, this, &WidgetHost::reloadAll);
}

void WidgetHost::perform(const WidgetIntent& intent, SorvelWidgetView* tapped) {
    if (m_usingFolder)
        return;
    // The wait for the folder runs the event loop: the window may close meanwhile.
    const QPointer<SorvelWidgetView> view(tapped);
    m_usingFolder = true;
    FileError failure;
    const IntentOutcome outcome = NextStep::perform(intent, folderWaiter(), &failure);
    m_usingFolder = false;
    if (outcome == IntentOutcome::FolderBusy) {
        showNotice(folderBusyText());
        if (std::exchange(m_reloadWanted, false))
            QTimer::singleShot(0, this, &WidgetHost::reloadAll);
        return;
    }
    m_reloadWanted = false;
    reloadAll();
    if (outcome == IntentOutcome::WriteFailed) {
        showNotice(writeFailedText(failure));
        return;
    }
    const QString said = tapeNotice(outcome);
    if (!said.isEmpty() && view)
        view->showNotice(said);
}

void WidgetHost::open(const QUrl& link, SorvelWidgetView* tapped) {
    const std::optional<QUuid> project = projectOf(link);
    if (project && !m_usingFolder) {
        const QPointer<SorvelWidgetView> view(tapped);
        m_usingFolder = true;
        const Storage::ReadResult read = Storage::read(folderWaiter());
        m_usingFolder = false;
        // Only a file that was read tells that the tape is gone; otherwise the application looks.
        const bool readable =
            read.kind == Storage::ReadResult::Kind::Decoded || read.kind == Storage::ReadResult::Kind::Missing;
        const auto isIt = [&](const AudioProject& each) { return each.id == *project; };
        if (readable && std::none_of(read.library.projects.cbegin(), read.library.projects.cend(), isIt)) {
            if (view)
                view->showNotice(tapeGoneText());
            return;
        }
    }
    m_openLink(link);
}

std::optional<QUuid> WidgetHost::projectOf(const QUrl& link) {
    if (link.scheme() != QLatin1String(SorvelLinks::scheme) || link.host() != QLatin1String(SorvelLinks::Host::project))
        return std::nullopt;
    return RecordCoding::parseID(link.path().mid(1));
}

int WidgetHost::msUntilReload() const {
    return m_expiry.isActive() ? m_expiry.remainingTime() : 0;
}

QList<QPoint> WidgetHost::stackedPlaces(const QList<QSize>& sizes, const QRect& area) {
    QList<QPoint> places;
    const int firstTop = area.top() + screenGap;
    const int bottom = area.bottom() + 1 - screenGap;
    int right = area.right() + 1 - screenGap;
    int top = firstTop;
    int columnWidth = 0;
    for (const QSize& size : sizes) {
        if (top > firstTop && top + size.height() > bottom) {
            right -= columnWidth + screenGap;
            top = firstTop;
            columnWidth = 0;
        }
        places.append({right - size.width(), top});
        top += size.height() + screenGap;
        columnWidth = qMax(columnWidth, size.width());
    }
    return places;
}

// The first time, the open windows stack down the right edge of the main
// screen in the order they were opened, so a later one never covers them.
QPoint WidgetHost::fallbackPosition(WidgetWindow* window) const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    const QList<WidgetWindow*> open = windows();
    QList<QSize> sizes;
    for (const WidgetWindow* each : open)
        sizes.append(each->size());
    return stackedPlaces(sizes, area).value(open.indexOf(window), area.topLeft());
}

} // namespace sorvel
