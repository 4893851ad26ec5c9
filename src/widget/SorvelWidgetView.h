#pragma once

#include "widget/LinkSurface.h"
#include "widget/NextStep.h"
#include "widget/ProjectsEntry.h"
#include "widget/WidgetFamily.h"

#include <QStringList>
#include <QTimer>
#include <QUrl>

namespace sorvel {

class ListView;
class SmallView;
class WidgetNotice;

// The whole face of one widget: the empty shelf, the small view or the list,
// on the widget's dark background. It never changes data: its buttons ask
// for intents and its taps ask for links, through its two signals.
class SorvelWidgetView final : public LinkSurface {
    Q_OBJECT
public:
    SorvelWidgetView(WidgetFamily family, RenderingMode mode, QWidget* parent = nullptr);

    static const QUrl& newProjectLink(); // sorvel://new
    static const QUrl& mainWindowLink(); // sorvel://main
    // The projects a family shows of an entry, in the entry's order.
    static QList<AudioProject> shownProjects(WidgetFamily family, const ProjectsEntry& entry);

    WidgetFamily family() const { return m_family; }
    RenderingMode mode() const { return m_mode; }
    // The entry as drawn (in the order held after a tap, see setEntry).
    const ProjectsEntry& entry() const { return m_entry; }
    // Draws a new entry (a fresh face, as a widget host renders it). While
    // the pointer is over the widget, and for a short while after a tap, the
    // rows drawn keep their projects, so that a tap lands on the project it
    // was aimed at (one that left the file stays drawn as it was, and the
    // header counts it with the file's tapes); then the latest entry is
    // drawn in its own order. A file that cannot be read is shown as such
    // at once.
    void setEntry(const ProjectsEntry& entry);
    // Draws the current entry afresh in another look.
    void setMode(RenderingMode mode);
    bool holdsOrder() const { return m_holdOrder.isActive() || m_pointerInside; }

    static constexpr int orderHoldMs = 2000;

    bool showsEmptyState() const { return m_entry.projects.isEmpty(); }
    // What the empty state reads: the empty shelf, or that the data file
    // cannot be read and where to look.
    QStringList emptyStateLines() const;
    // Says something over the face for a few seconds (a tap that changed nothing).
    void showNotice(const QString& text);
    // What showNotice() shows now; empty when nothing.
    QString notice() const;
    SmallView* smallView() const { return m_small; }
    ListView* listView() const { return m_list; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void linkRequested(const QUrl& link);
    void intentRequested(const sorvel::WidgetIntent& intent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void draw(const ProjectsEntry& entry);
    void holdOrder();
    // Draws the latest entry once nothing holds the rows any more.
    void releaseOrder();
    void paintEmptyState(QPainter& painter, const QRectF& content);

    WidgetFamily m_family;
    RenderingMode m_mode;
    ProjectsEntry m_entry;
    ProjectsEntry m_latest; // the last entry given, in its own order
    QTimer m_holdOrder;
    bool m_pointerInside = false;
    QWidget* m_content = nullptr;
    SmallView* m_small = nullptr;
    ListView* m_list = nullptr;
    WidgetNotice* m_notice = nullptr;
};

} // namespace sorvel
