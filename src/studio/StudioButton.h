#pragma once

#include "studio/FocusRing.h"

#include <QColor>
#include <QFont>
#include <QMarginsF>
#include <QPushButton>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace sorvel {

// The one button look of the program: medium text on a rounded plate of
// radius 7; prominent buttons fill with the accent tint and dark text, the
// others use the raised surface, lighter under the pointer. Compact buttons
// have smaller text and padding. Opacity 0.4 when disabled, else 0.7 while pressed.
struct StudioButtonStyle {
    bool prominent = false;
    bool compact = false;

    struct State {
        bool hovered = false;
        bool pressed = false;
        bool enabled = true;
    };

    static constexpr qreal cornerRadius = 7;
    static constexpr qreal symbolSpacing = 5;
    static constexpr qreal focusRingWidth = FocusRing::width;

    QFont font() const;
    QMarginsF padding() const;
    QColor foreground() const;
    QColor fill(const State& state, const QColor& tint) const;
    static qreal opacity(const State& state);
    QSizeF sizeFor(const QString& text, const QString& symbol) const;
    // Paints plate and label, the label centred in `rect`.
    void paint(QPainter& painter, const QRectF& rect, const QString& text, const QString& symbol, const QColor& tint,
               const State& state) const;
    // The keyboard focus, drawn inside the plate so that it needs no room of its own.
    void paintFocusRing(QPainter& painter, const QRectF& rect, const QColor& tint) const;
};

// A push button drawn in the studio look; the whole padded plate takes clicks.
class StudioButton final : public QPushButton {
    Q_OBJECT
public:
    explicit StudioButton(const QString& text, StudioButtonStyle look = {}, QWidget* parent = nullptr);
    StudioButton(const QString& text, const QString& symbol, StudioButtonStyle look, QWidget* parent = nullptr);

    StudioButtonStyle look() const { return m_look; }
    void setLook(StudioButtonStyle look);
    // A symbol name shown before the text (or alone when there is no text).
    QString symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    bool isHovering() const { return m_hovering; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    void setHovering(bool hovering);

    StudioButtonStyle m_look;
    QString m_symbol;
    bool m_hovering = false;
};

} // namespace sorvel
