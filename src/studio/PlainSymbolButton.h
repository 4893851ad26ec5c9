#pragma once

#include <QAbstractButton>
#include <QColor>

namespace sorvel {

// A plain button drawn as a symbol, a text or both, in one colour, without a
// plate; the whole rectangle takes clicks. An empty colour follows the
// window's accent tint. Tab reaches it, a ring shows it has the keyboard, and
// Space, Return or Enter press it; a click leaves the keyboard where it was.
class PlainSymbolButton final : public QAbstractButton {
    Q_OBJECT
public:
    PlainSymbolButton(const QString& symbol, const QString& text, const QFont& font, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    // The colour of symbol and text; an invalid colour means the accent tint.
    void setColor(const QColor& color);
    QColor color() const;

    static QSize sizeFor(const QString& symbol, const QString& text, const QFont& font);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static constexpr qreal symbolSpacing = 4;
    static constexpr qreal focusRadius = 4;

    QString m_symbol;
    QColor m_color;
};

} // namespace sorvel
