#pragma once

#include <QProxyStyle>

namespace sorvel {

// The program's widget style: Fusion, which follows a palette completely,
// with the few things Fusion draws to suit light colours done the studio's
// way: visible separators in menus, tooltips framed like the other panels,
// and menus highlighted in the accent of the window they belong to.
class StudioStyle final : public QProxyStyle {
    Q_OBJECT
public:
    StudioStyle();

    // The dark studio look for the whole program: this style, the studio
    // palette and tooltips in the same colours (tooltips keep a palette of
    // their own, taken from the desktop's theme).
    static void install();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

} // namespace sorvel
