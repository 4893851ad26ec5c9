#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

class QPainter;

namespace sorvel {

class ReelSpin;

// The window of a cassette: a supply reel holding 1 − progress, a thin tape
// line wound in `color` up to the progress, and a take-up reel holding the
// progress, on a dark recessed plate. Every measure is a multiple of the reel
// size; progress is limited to 0…1 (not finite counts as 0).
class TapeWindow final : public QWidget {
    Q_OBJECT
public:
    TapeWindow(double progress, const QColor& color, qreal reelSize, bool spinning = false, QWidget* parent = nullptr);

    // The geometry of one window drawn in `rect`. The reel shrinks when the
    // rectangle is too small for it, so nothing overlaps or turns negative.
    struct Layout {
        qreal reelSize = 0;
        QRectF plate;
        QRectF supplyReel;
        QRectF takeUpReel;
        QRectF track; // the 4-point tape line across the tape area
    };
    static Layout layout(const QRectF& rect, qreal reelSize);
    static void paint(QPainter& painter, const QRectF& rect, double progress, const QColor& color, qreal reelSize,
                      qreal hubAngle = 0);
    // Width of the wound tape on a track of `trackWidth`: at least 4 points
    // for any progress above zero, none at zero, never wider than the track.
    static qreal woundWidth(qreal trackWidth, double progress);
    // Natural height of a window with this reel size.
    static qreal naturalHeight(qreal reelSize) { return reelSize * 1.36; }

    double progress() const { return m_progress; }
    void setProgress(double progress);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    bool isSpinning() const;
    void setSpinning(bool spinning);
    qreal hubAngle() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_progress;
    QColor m_color;
    qreal m_reelSize;
    ReelSpin* m_spin;
};

} // namespace sorvel
