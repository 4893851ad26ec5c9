#include "app/detail/DeleteButton.h"

#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/ValueChange.h"

#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {
constexpr qreal symbolFontSize = 12;
} // namespace

DeleteButton::DeleteButton(const QString& help, QWidget* parent) : QAbstractButton(parent) {
    setToolTip(help);
    setAccessibleName(help);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void DeleteButton::setShown(bool shown) {
    if (!changeValue(m_shown, shown))
        return;
    setCursor(shown ? Qt::PointingHandCursor : Qt::ArrowCursor);
    update();
}

QSize DeleteButton::sizeHint() const {
    const int side = int(std::ceil(Symbols::sideForFontSize(symbolFontSize)));
    return {side, side};
}

bool DeleteButton::hitButton(const QPoint& position) const {
    return m_shown && QAbstractButton::hitButton(position);
}

void DeleteButton::paintEvent(QPaintEvent*) {
    if (!m_shown)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    Symbols::paintForFont(painter, QRectF(rect()).center(), symbolFontSize, QStringLiteral("minus.circle.fill"),
                          Studio::systemRed());
}

} // namespace sorvel
