#pragma once

#include <QColor>
#include <QRectF>
#include <QUuid>
#include <QWidget>

class QPainter;

namespace sorvel {

// A row of `count` vertical bars whose heights are fixed by a project's
// identifier; bar i takes `color` while progress > i ÷ count, else `track`.
// Bars are at least 2 points high; a row narrower than its gaps draws nothing.
class WaveformBars final : public QWidget {
    Q_OBJECT
public:
    WaveformBars(double progress, const QColor& color, const QUuid& seed, int count, const QColor& track,
                 QWidget* parent = nullptr);

    static void paint(QPainter& painter, const QRectF& rect, double progress, const QColor& color, const QUuid& seed,
                      int count, const QColor& track);
    // Whether bar `index` of `count` shows the progress colour (progress is
    // limited to 0…1 first).
    static bool isLit(double progress, int index, int count);
    // Width of each bar in a row of `width`, 0 when the bars do not fit. A
    // wide row keeps its bars slim and spreads them over its whole width.
    static qreal barWidth(qreal width, int count);
    // Where bar `index` starts in a row of `width`.
    static qreal barLeft(qreal width, int count, int index);

    double progress() const { return m_progress; }
    void setProgress(double progress);
    void setColor(const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_progress;
    QColor m_color;
    QUuid m_seed;
    int m_count;
    QColor m_track;
};

} // namespace sorvel
