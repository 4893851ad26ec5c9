#include "studio/StudioStyle.h"

#include "studio/Studio.h"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QToolTip>

namespace sorvel {

namespace {
constexpr int separatorMargin = 8;
} // namespace

StudioStyle::StudioStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void StudioStyle::install() {
    QApplication::setStyle(new StudioStyle);
    const QPalette palette = Studio::palette(Studio::tape());
    QApplication::setPalette(palette);
    QToolTip::setPalette(palette);
}

void StudioStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const {
    if (element == PE_PanelTipLabel) {
        // The common style frames tooltips in their text colour: a bright box on a dark tip.
        painter->fillRect(option->rect, option->palette.toolTipBase());
        painter->setPen(Studio::line());
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void StudioStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element == CE_MenuItem && item && item->menuItemType == QStyleOptionMenuItem::Separator
        && item->text.isEmpty()) {
        // Fusion darkens the window colour for the rule, which vanishes on a dark menu.
        const QRect rect = item->rect;
        painter->fillRect(
            QRect(rect.left() + separatorMargin, rect.center().y(), std::max(0, rect.width() - 2 * separatorMargin), 1),
            Studio::line());
        return;
    }
    if ((element == CE_MenuItem || element == CE_MenuBarItem) && item) {
        // A menu is a window of its own, outside the appearance host's palette:
        // its highlight takes the accent of the window it opens from.
        QStyleOptionMenuItem tinted(*item);
        tinted.palette.setColor(QPalette::Highlight, Studio::tint(widget));
        QProxyStyle::drawControl(element, &tinted, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

} // namespace sorvel
