#pragma once

#include "widget/NextStep.h"
#include "widget/ProjectsEntry.h"
#include "widget/WidgetFamily.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <functional>

namespace sorvel {

class Settings;
class WidgetWindow;

// Runs the widget program: one window per chosen family, all drawn from one
// timeline. A new timeline is read when the current one expires, when the
// application asks (reloadAll), and right after one of the widget's own
// buttons changed the data file. Links go to the desktop's link handler.
class WidgetHost final : public QObject {
    Q_OBJECT
public:
    using LinkOpener = std::function<void(const QUrl&)>;

    WidgetHost(const QList<WidgetFamily>& families, RenderingMode mode, Settings& settings,
               LinkOpener openLink = {}, QObject* parent = nullptr);
    ~WidgetHost() override;

    // Reads the first timeline and shows the windows where they were left.
    void start();
    // Shows the sizes that are not shown yet (a later start asked for them).
    void show(const QList<WidgetFamily>& families);
    // Reads a new timeline and redraws every window.
    void reloadAll();
    // Performs a button's intent on the data file, then redraws from the file.
    void perform(const WidgetIntent& intent);

    QList<WidgetWindow*> windows() const;
    const Timeline& timeline() const { return m_timeline; }
    // Time left until the current timeline expires.
    int msUntilReload() const;
    int reloadCount() const { return m_reloads; }

Q_SIGNALS:
    // The last window was closed.
    void allClosed();

private:
    WidgetWindow* addWindow(WidgetFamily family);
    void place(WidgetWindow* window);
    QPoint fallbackPosition(const WidgetWindow* window) const;

    LinkOpener m_openLink;
    RenderingMode m_mode;
    Settings& m_settings;
    QList<QPointer<WidgetWindow>> m_windows;
    Timeline m_timeline;
    QTimer m_expiry;
    int m_reloads = 0;
};

} // namespace sorvel
