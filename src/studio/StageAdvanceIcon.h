#pragma once

#include "core/CueStage.h"

#include <QAbstractButton>
#include <QRectF>

class QPainter;

namespace sorvel {

// The round stage button of cue rows: the stage symbol in a ring of the
// stage colour over a faint disc, or a solid green disc with a dark check for
// delivered cues. The 2-point margin around the circle takes clicks too.
class StageAdvanceIcon final : public QAbstractButton {
    Q_OBJECT
public:
    StageAdvanceIcon(CueStage stage, qreal size, QWidget* parent = nullptr);

    // Draws the circle of diameter min(width, height) centred in `rect`.
    static void paint(QPainter& painter, const QRectF& rect, CueStage stage);
    static constexpr qreal margin = 2;

    CueStage stage() const { return m_stage; }
    void setStage(CueStage stage);
    qreal diameter() const { return m_size; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CueStage m_stage;
    qreal m_size;
};

} // namespace sorvel
