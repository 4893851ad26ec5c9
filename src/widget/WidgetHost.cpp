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

#include <algorithm>
#include <functional>

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

WidgetHost::WidgetHost(FileSystem& files, const QList<WidgetFamily>& families, RenderingMode mode, Settings& settings,
                       LinkOpener openLink, QObject* parent)
    : QObject(parent),
      m_files(files),
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
    placeAndShow(windows());
}

void WidgetHost::show(const QList<WidgetFamily>& families, RenderingMode mode) {
    // Someone started the widget to look at the tapes: they see them as the file holds them now.
    reloadAll();
    QList<WidgetWindow*> added;
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
        added.append(window);
    }
    placeAndShow(added);
}

void WidgetHost::placeAndShow(const QList<WidgetWindow*>& arriving) {
    const QList<QRect> screens = WidgetWindow::availableScreens();
    QList<WidgetWindow*> placeless;
    for (WidgetWindow* window : arriving) {
        if (const std::optional<QPoint> remembered = window->rememberedPosition(screens))
            window->placeAt(*remembered);
        else
            placeless.append(window);
    }
    // Those left somewhere keep their places; each of the others takes one
    // that none placed so far covers.
    const QList<WidgetWindow*> toPlace = placeless;
    for (WidgetWindow* window : toPlace) {
        placeless.removeOne(window);
        QList<QRect> taken;
        for (const WidgetWindow* other : windows()) {
            if (other != window && !placeless.contains(other))
                taken.append(other->frameGeometry());
        }
        std::optional<QPoint> place;
        for (const QRect& area : screens) {
            if ((place = freePlace(window->size(), area, taken)))
                break;
        }
        // No room left anywhere: the top right corner of the main screen.
        const QRect main = screens.value(0, QRect(0, 0, 1280, 800));
        window->placeAt(place.value_or(QPoint(main.right() + 1 - screenGap - window->width(), main.top() + screenGap)));
    }
    for (WidgetWindow* window : arriving)
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
    Timeline next = ProjectsProvider::timeline(m_files, folderWaiter());
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
    const IntentOutcome outcome = NextStep::perform(m_files, intent, folderWaiter(), &failure);
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
        const Storage::ReadResult read = Storage::read(m_files, folderWaiter());
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

std::optional<QPoint> WidgetHost::freePlace(const QSize& size, const QRect& area, const QList<QRect>& taken) {
    // A column starts at the right edge or left of another window, a row at
    // the top or below another window.
    QList<int> lefts{area.right() + 1 - screenGap - size.width()};
    QList<int> tops{area.top() + screenGap};
    for (const QRect& other : taken) {
        lefts.append(other.left() - screenGap - size.width());
        tops.append(other.bottom() + 1 + screenGap);
    }
    std::sort(lefts.begin(), lefts.end(), std::greater<>());
    std::sort(tops.begin(), tops.end());
    const QRect inside = area.adjusted(screenGap, screenGap, -screenGap, -screenGap);
    for (const int left : lefts) {
        for (const int top : tops) {
            const QRect frame(QPoint(left, top), size);
            const auto apart = [&frame](const QRect& other) {
                return !frame.intersects(other.adjusted(-screenGap, -screenGap, screenGap, screenGap));
            };
            if (inside.contains(frame) && std::all_of(taken.cbegin(), taken.cend(), apart))
                return frame.topLeft();
        }
    }
    return std::nullopt;
}

} // namespace sorvel
