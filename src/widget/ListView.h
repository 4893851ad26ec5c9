#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"
#include "widget/WidgetFamily.h"

#include <QList>
#include <QWidget>

namespace sorvel {

class TrackRow;

// The medium and large widget: a header with the reel, "SORVEL" and the
// number of active tapes, then one linked row per project, kept at the top.
class ListView final : public QWidget {
    Q_OBJECT
public:
    // `projects` are the rows, already cut to the family; `total` counts
    // every active project, also those that do not fit.
    // `types` are the file's types, among which each row finds its own.
    ListView(const QList<AudioProject>& projects, const QList<ProjectType>& types, int total, bool showsNext,
             RenderingMode mode, QWidget* parent = nullptr);

    // "07 TAPES": at least two digits, never cut.
    static QString countText(int total);

    QList<TrackRow*> rows() const { return m_rows; }
    int total() const { return m_total; }
    qreal spacing() const { return m_showsNext ? 10 : 8; }
    static qreal headerHeight();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<TrackRow*> m_rows;
    int m_total;
    bool m_showsNext;
    RenderingMode m_mode;
};

} // namespace sorvel
