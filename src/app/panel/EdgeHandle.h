#pragma once

#include "app/panel/EdgeGeometry.h"
#include "core/SettingsKeys.h"

#include <QColor>
#include <QRectF>
#include <QWidget>

namespace sorvel {

class EdgePanelController;

// What the collapsed strip shows: a thin capsule against the screen edge,
// at full strength while some tape is in progress, else faint. A click
// anywhere on the strip opens the panel.
class EdgeHandle final : public QWidget {
    Q_OBJECT
public:
    static inline const QString colorKey = QLatin1String(SettingsKeys::handleColor);
    static constexpr qreal capsuleWidth = 5;

    EdgeHandle(EdgePanelController& controller, QWidget* parent = nullptr);

    // Whether a project is neither done nor archived.
    bool hasActiveProject() const;
    // appearance.handleColor when it is a colour, else the window's accent.
    QColor capsuleColor() const;
    double capsuleOpacity() const { return hasActiveProject() ? 1.0 : 0.4; }
    // The capsule inside a strip of `size`: 2 points off the outer edge, 6 off top and bottom.
    static QRectF capsuleRect(const QSizeF& size, PanelSide side);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    EdgePanelController& m_controller;
};

} // namespace sorvel
