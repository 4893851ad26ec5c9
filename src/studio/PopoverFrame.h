#pragma once

#include <QFrame>

class QWidget;

namespace sorvel {

// A popup panel in the studio look: a rounded plate with a thin border,
// placed under its anchor and kept on the anchor's screen. A click outside
// or Escape closes it.
class PopoverFrame : public QFrame {
    Q_OBJECT
public:
    explicit PopoverFrame(QWidget* parent = nullptr);

    // How far every popover keeps off the edges of the screen's free area,
    // so that its border always shows.
    static constexpr int screenMargin = 8;

    // The part of a screen's free area that popovers stay in.
    static QRect room(const QRect& screen);
    // Where a popup of `size` goes: centred under the anchor, above it when
    // there is no room below, and always inside the room of `screen`.
    static QPoint placement(const QRect& anchor, const QSize& size, const QRect& screen);
    // Sizes the popover to its content and shows it under `anchor`;
    // subclasses then hand the keyboard to their first control.
    virtual void popUnder(QWidget* anchor);
    // Shows the popover under the control that opened it, deleted once
    // closed. A click on that control while open only closes the popover,
    // and the control repaints when it goes (controls mark an open popover).
    void openFrom(QWidget* anchor);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cutCorners();
};

} // namespace sorvel
