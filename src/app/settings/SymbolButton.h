#pragma once

#include <QAbstractButton>
#include <QColor>

namespace sorvel {

// A button drawn as one symbol in a fixed colour, without a plate.
class SymbolButton final : public QAbstractButton {
    Q_OBJECT
public:
    SymbolButton(const QString& symbol, const QColor& color, int side, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {m_side, m_side}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    QColor m_color;
    int m_side;
};

} // namespace sorvel
