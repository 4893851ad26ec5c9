#pragma once

#include "core/ProjectType.h"

#include <QRectF>
#include <QWidget>

class QPainter;

namespace sorvel {

// A project type as a rounded tile in the type's colour (grey when its colour
// text is not valid) with the type's symbol in white.
class KindBadge final : public QWidget {
    Q_OBJECT
public:
    KindBadge(const ProjectType& kind, qreal size, QWidget* parent = nullptr);

    // Draws the tile as a square of the rectangle's shorter side, centred.
    static void paint(QPainter& painter, const QRectF& rect, const ProjectType& kind);
    static qreal cornerRadius(qreal size) { return size * 0.28; }
    static qreal symbolFontSize(qreal size) { return size * 0.5; }

    const ProjectType& kind() const { return m_kind; }
    void setKind(const ProjectType& kind);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ProjectType m_kind;
    qreal m_size;
};

} // namespace sorvel
