#pragma once

#include "widget/LinkSurface.h"
#include "widget/NextStep.h"
#include "widget/ProjectsEntry.h"
#include "widget/WidgetFamily.h"

#include <QUrl>

namespace sorvel {

class ListView;
class SmallView;

// The whole face of one widget: the empty shelf, the small view or the list,
// on the widget's dark background. It never changes data: its buttons ask
// for intents and its taps ask for links, through its two signals.
class SorvelWidgetView final : public LinkSurface {
    Q_OBJECT
public:
    SorvelWidgetView(WidgetFamily family, RenderingMode mode, QWidget* parent = nullptr);

    static const QUrl& newProjectLink();  // sorvel://new
    // The projects a family shows of an entry, in the entry's order.
    static QList<AudioProject> shownProjects(WidgetFamily family, const ProjectsEntry& entry);

    WidgetFamily family() const { return m_family; }
    RenderingMode mode() const { return m_mode; }
    const ProjectsEntry& entry() const { return m_entry; }
    // Draws a new entry (a fresh face, as a widget host renders it).
    void setEntry(const ProjectsEntry& entry);
    // Draws the current entry afresh in another look.
    void setMode(RenderingMode mode);

    bool showsEmptyState() const { return m_entry.projects.isEmpty(); }
    SmallView* smallView() const { return m_small; }
    ListView* listView() const { return m_list; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void linkRequested(const QUrl& link);
    void intentRequested(const sorvel::WidgetIntent& intent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintEmptyState(QPainter& painter, const QRectF& content);

    WidgetFamily m_family;
    RenderingMode m_mode;
    ProjectsEntry m_entry;
    QWidget* m_content = nullptr;
    SmallView* m_small = nullptr;
    ListView* m_list = nullptr;
};

} // namespace sorvel
