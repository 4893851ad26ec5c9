#pragma once

#include "core/CueStage.h"

#include <QRectF>
#include <QSizeF>
#include <QWidget>

class QPainter;

namespace sorvel {

// A cue's stage as a small chip: the stage symbol and, unless compact, its
// title, in the stage colour on a faint fill of the same colour.
class StageBadge final : public QWidget {
    Q_OBJECT
public:
    explicit StageBadge(CueStage stage, bool compact = false, QWidget* parent = nullptr);

    static constexpr qreal cornerRadius = 5;

    static QSizeF sizeFor(CueStage stage, bool compact);
    // Draws the badge at its natural size, centred vertically at the left of `rect`.
    static void paint(QPainter& painter, const QRectF& rect, CueStage stage, bool compact);

    CueStage stage() const { return m_stage; }
    void setStage(CueStage stage);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CueStage m_stage;
    bool m_compact;
};

} // namespace sorvel
