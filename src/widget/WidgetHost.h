#pragma once

#include "core/FileError.h"
#include "core/FolderLock.h"
#include "widget/NextStep.h"
#include "widget/ProjectsEntry.h"
#include "widget/WidgetFamily.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <optional>

namespace sorvel {

class FileSystem;
class Settings;
class SorvelWidgetView;
class WidgetWindow;

// Runs the widget program: one window per chosen family, all drawn from one
// timeline. A new timeline is read when the current one expires, when the
// application asks (reloadAll), when a later start asks for windows, and
// right after one of the widget's own buttons changed the data file. Links
// go to the desktop's link handler, unless their tape has left the file.
class WidgetHost final : public QObject {
    Q_OBJECT
public:
    using LinkOpener = std::function<void(const QUrl&)>;

    // Reads and changes the data file through `files`, which must outlive the host.
    WidgetHost(FileSystem& files, const QList<WidgetFamily>& families, RenderingMode mode, Settings& settings,
               LinkOpener openLink = {}, QObject* parent = nullptr);
    ~WidgetHost() override;

    // Reads the first timeline and shows the windows where they were left.
    void start();
    // Shows these sizes in `mode` (a later start asked for them): a size not
    // shown yet is added, one shown in the other look is redrawn in this one;
    // every window draws a timeline read afresh.
    void show(const QList<WidgetFamily>& families, RenderingMode mode);
    // Reads a new timeline and redraws every window. While another program
    // holds the data folder the windows keep what they show and the read is
    // tried again after busyRetryMs.
    void reloadAll();
    // Performs a button's intent on the data file, then redraws from the file.
    // While another program holds the data folder it waits at most
    // FolderLock::usualPatienceMs, then changes nothing and says so on every
    // window; so does a tap whose write fails (a full disk, a file-size
    // limit), with the system's reason. A tap on a tape that left the file,
    // or on a cue that is no longer as drawn, changes nothing and says so on
    // `tapped`, its window.
    void perform(const WidgetIntent& intent, SorvelWidgetView* tapped);

    static constexpr int busyRetryMs = 5000;
    // What a window says when a tap found the data folder busy.
    static QString folderBusyText();
    // What a window says when a tap's change could not be written, and why.
    static QString writeFailedText(const FileError& failure);
    // What a window says when a tap found its tape gone from the file.
    static QString tapeGoneText();
    // What a window says when a tap found its cue changed.
    static QString tapeChangedText();

    QList<WidgetWindow*> windows() const;
    const Timeline& timeline() const { return m_timeline; }
    // Time left until the current timeline expires.
    int msUntilReload() const;
    int reloadCount() const { return m_reloads; }

    // Where a window of `size` goes that has no place of its own: the first
    // place in `area` that keeps a gap to its edges and to every one of
    // `taken` (the other widgets), trying columns from the right edge
    // leftwards and each from the top down. None when no such place is left.
    static std::optional<QPoint> freePlace(const QSize& size, const QRect& area, const QList<QRect>& taken);

Q_SIGNALS:
    // The last window was closed.
    void allClosed();

private:
    WidgetWindow* addWindow(WidgetFamily family, RenderingMode mode);
    // Opens a link tapped on `tapped`; a tape that has left the file is not
    // opened, and the window says it is gone.
    void open(const QUrl& link, SorvelWidgetView* tapped);
    // The project a link leads to, if it leads to one.
    static std::optional<QUuid> projectOf(const QUrl& link);
    // Puts each of `arriving` where it was left, or else where no other widget
    // is, and shows them.
    void placeAndShow(const QList<WidgetWindow*>& arriving);
    // Waits for the data folder while the windows keep painting and answering
    // the desktop; taps wait until it is done.
    static FolderLock::Waiter folderWaiter();
    void showNotice(const QString& text);

    FileSystem& m_files;
    LinkOpener m_openLink;
    Settings& m_settings;
    // Held as objects: a window's own `destroyed` runs when it is no WidgetWindow any more.
    QList<QPointer<QObject>> m_windows;
    Timeline m_timeline;
    QTimer m_expiry;
    int m_reloads = 0;
    bool m_usingFolder = false; // a read or a tap is waiting for the data folder
    bool m_reloadWanted = false; // asked for meanwhile
    bool m_hasRead = false;
};

} // namespace sorvel
