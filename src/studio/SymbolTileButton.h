#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QString>

namespace sorvel {

// A small square button: a symbol on a raised tile of 26 points with rounded
// corners, as in the headers of the detail and the edge panel. The symbol is
// in the secondary text colour, and in the active colour (by default the
// window's accent tint) while the button is active.
class SymbolTileButton final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int side = 26;

    SymbolTileButton(const QString& symbol, qreal symbolSize, const QString& help, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    // The tooltip and the button's accessible name: a fixed text of the
    // program's own, never user text (a tooltip may read markup).
    void setHelp(const QString& help);

    bool isActive() const { return m_active; }
    void setActive(bool active);
    // The symbol's colour while active; an invalid colour is the window's tint.
    void setActiveColor(const QColor& color);
    QColor symbolColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    qreal m_symbolSize;
    bool m_active = false;
    QColor m_activeColor;
};

} // namespace sorvel
