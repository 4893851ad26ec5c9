#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

class QPainter;

namespace sorvel {

// A thin progress bar: a faint track in `color` and a fill up to the
// progress, at least as wide as the bar is high for any progress above zero.
// Progress is limited to 0…1 (not finite counts as 0).
class ProgressCapsule final : public QWidget {
    Q_OBJECT
public:
    ProgressCapsule(double progress, const QColor& color, qreal height, QWidget* parent = nullptr);

    // Draws the bar `height` high across `rect`, centred vertically.
    static void paint(QPainter& painter, const QRectF& rect, double progress, const QColor& color, qreal height);
    static qreal fillWidth(qreal width, double progress, qreal height);

    void setProgress(double progress);
    void setColor(const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_progress;
    QColor m_color;
    qreal m_height;
};

} // namespace sorvel
