#include "app/detail/TypeMenuButton.h"

#include "core/TypeRegistry.h"
#include "core/UserText.h"
#include "studio/ButtonKeys.h"
#include "studio/FocusRing.h"
#include "studio/MenuItemText.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace sorvel {

namespace {

constexpr qreal horizontalPadding = 8;
constexpr qreal verticalPadding = 4;
constexpr qreal spacing = 5;
constexpr qreal symbolSize = 11;
constexpr qreal chevronSize = 8;
// A longer type title is cut with an ellipsis, so the chip always leaves the
// card room for the modification text in the drawer.
constexpr qreal widestTitle = 240;

QFont titleFont() {
    return Studio::font(12, Studio::Weight::Semibold);
}

} // namespace

TypeMenuButton::TypeMenuButton(TypeRegistry& registry, QWidget* parent)
    : QAbstractButton(parent), m_registry(registry) {
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab, where the focus shows; a click opens the menu without leaving a ring behind.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, &TypeMenuButton::openMenu);
}

void TypeMenuButton::setType(const ProjectType& type) {
    if (type == m_type)
        return;
    m_type = type;
    updateGeometry();
    update();
}

void TypeMenuButton::fillMenu(QMenu& menu) {
    menu.setToolTipsVisible(true);
    for (const ProjectType& type : m_registry.types()) {
        QAction* action = menu.addAction(Symbols::icon(type.symbol, Studio::text()), QString());
        MenuItemText::of(type.title, {}, menu.font()).applyTo(*action);
        const QUuid id = type.id;
        connect(action, &QAction::triggered, this, [this, id] { Q_EMIT typeChosen(id); });
    }
}

void TypeMenuButton::openMenu() {
    QMenu menu(this);
    // A popup is a window of its own and would not take the window's dark colours.
    menu.setPalette(palette());
    fillMenu(menu);
    menu.exec(mapToGlobal(QPoint(0, height() + 2)));
}

QSize TypeMenuButton::sizeHint() const {
    const qreal width = Symbols::sideForFontSize(symbolSize) + spacing
        + std::min(widestTitle, Shapes::textWidth(titleFont(), UserText::singleLine(m_type.title))) + spacing
        + Symbols::sideForFontSize(chevronSize) + 2 * horizontalPadding;
    const qreal height = std::max(Shapes::lineHeight(titleFont()), Symbols::sideForFontSize(symbolSize));
    return {int(std::ceil(width)), int(std::ceil(height + 2 * verticalPadding))};
}

void TypeMenuButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    const QRectF plate(rect());
    Shapes::fillRounded(painter, plate, 4, Studio::typeColor(m_type));

    const QColor ink = Studio::labelInk();
    const qreal midY = plate.center().y();
    qreal x = horizontalPadding;
    const qreal symbolSide = Symbols::sideForFontSize(symbolSize);
    Symbols::paintForFont(painter, {x + symbolSide / 2, midY}, symbolSize, m_type.symbol, ink, Studio::Weight::Bold);
    x += symbolSide + spacing;
    const qreal chevronSide = Symbols::sideForFontSize(chevronSize);
    const qreal titleRoom = plate.width() - horizontalPadding - chevronSide - spacing - x;
    x += Shapes::drawLine(painter, titleFont(), ink, {x, Shapes::centredBaseline(titleFont(), midY)},
                          UserText::singleLine(m_type.title), titleRoom)
        + spacing;
    Symbols::paintForFont(painter, {x + chevronSide / 2, midY}, chevronSize, QStringLiteral("chevron.down"), ink,
                          Studio::Weight::Bold);
    if (hasFocus()) {
        painter.setOpacity(1.0);
        FocusRing::paint(painter, this, plate, 4);
    }
}

void TypeMenuButton::keyPressEvent(QKeyEvent* event) {
    // The arrow down opens the menu, as it does on any menu button.
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    if (!ButtonKeys::press(*this, *event))
        QAbstractButton::keyPressEvent(event);
}

} // namespace sorvel
