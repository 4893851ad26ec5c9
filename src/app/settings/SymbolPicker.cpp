#include "app/settings/SymbolPicker.h"

#include "studio/PopoverFrame.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/SymbolTable.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace sorvel {

SymbolCell::SymbolCell(const QString& symbol, bool selected, const QColor& color, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol), m_selected(selected), m_color(color) {
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void SymbolCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor fill = m_selected ? m_color : (m_hovering ? Studio::bg3() : Studio::faded(Studio::text(), 0.08));
    Shapes::fillRounded(painter, rect(), 7, fill);
    const QColor ink = m_selected ? QColor(Qt::white) : Studio::text();
    Symbols::paintForFont(painter, QRectF(rect()).center(), 15, m_symbol, ink);
}

void SymbolCell::enterEvent(QEnterEvent* event) {
    m_hovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SymbolCell::leaveEvent(QEvent* event) {
    m_hovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

SymbolPicker::SymbolPicker(const QString& selection, const QColor& color, QWidget* parent) : QFrame(parent, Qt::Popup) {
    setAttribute(Qt::WA_DeleteOnClose);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(margin, margin, margin, margin);
    grid->setSpacing(spacing);
    const QStringList& symbols = SymbolTable::pickerSymbols();
    for (int i = 0; i < symbols.size(); ++i) {
        const QString& name = symbols.at(i);
        auto* cell = new SymbolCell(name, name == selection, color, this);
        connect(cell, &QAbstractButton::clicked, this, [this, name] { Q_EMIT chosen(name); });
        grid->addWidget(cell, i / columns, i % columns);
        m_cells << cell;
    }
    setFixedSize(sizeHint());
}

void SymbolPicker::popUpBelow(QWidget* anchor) {
    // Placed by the rule of every popover: under the anchor, or above it, a margin inside the screen.
    const QRect global(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    const QScreen* screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    move(screen ? PopoverFrame::placement(global, size(), screen->availableGeometry()) : global.bottomLeft());
    show();
}

SymbolCell* SymbolPicker::cellAt(int row, int column) const {
    if (row < 1 || column < 1 || column > columns)
        return nullptr;
    const int index = (row - 1) * columns + (column - 1);
    return index < m_cells.size() ? m_cells.at(index) : nullptr;
}

void SymbolPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Studio::bg1());
    painter.setPen(QPen(Studio::line(), 1));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace sorvel
