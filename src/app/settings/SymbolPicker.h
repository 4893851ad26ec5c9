#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFrame>
#include <QList>
#include <QString>

namespace sorvel {

// One cell of the symbol grid: the symbol on a rounded tile, white on the
// type's colour when it is the chosen one.
class SymbolCell final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int side = 32;

    SymbolCell(const QString& symbol, bool selected, const QColor& color, QWidget* parent = nullptr);

    const QString& symbol() const { return m_symbol; }
    bool isSelected() const { return m_selected; }
    QSize sizeHint() const override { return {side, side}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_symbol;
    bool m_selected;
    QColor m_color;
    bool m_hovering = false;
};

// The popup grid of the symbols a project type can take, six to a row. The
// cell whose name equals `selection` exactly is highlighted; clicking a cell
// reports its name. Escape or a click outside closes it.
class SymbolPicker final : public QFrame {
    Q_OBJECT
public:
    static constexpr int columns = 6;
    static constexpr int spacing = 6;
    static constexpr int margin = 12;

    SymbolPicker(const QString& selection, const QColor& color, QWidget* parent = nullptr);

    // Shows the grid centred under `anchor`'s bottom edge.
    void popUpBelow(QWidget* anchor);

    // Rows and columns count from 1, as on screen; null outside the grid.
    SymbolCell* cellAt(int row, int column) const;
    const QList<SymbolCell*>& cells() const { return m_cells; }

Q_SIGNALS:
    void chosen(const QString& symbol);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<SymbolCell*> m_cells;
};

} // namespace sorvel
