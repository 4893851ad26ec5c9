#include "app/detail/FolderLink.h"

#include "app/sheets/FolderDialog.h"
#include "core/UserText.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"
#include "studio/Symbols.h"

#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {

constexpr qreal symbolGap = 4;

qreal symbolSide() {
    return Symbols::sideForFontSize(12);
}

} // namespace

FolderLink::FolderLink(QWidget* parent) : QAbstractButton(parent) {
    setFont(Studio::font(12));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void FolderLink::setPath(const QString& path) {
    m_path = path;
    setText(path.isEmpty() ? QString() : UserText::singleLine(FolderDialog::displayName(path)));
    setToolTip(Studio::plainToolTip(path));
}

QSize FolderLink::sizeHint() const {
    const qreal width = symbolSide() + symbolGap + std::min<qreal>(Shapes::textWidth(font(), text()), widestName);
    return {int(std::ceil(width)), int(std::ceil(std::max(symbolSide(), Shapes::lineHeight(font()))))};
}

void FolderLink::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    const QColor tint = Studio::tint(this);
    const qreal midY = height() / 2.0;
    Symbols::paintForFont(painter, {symbolSide() / 2, midY}, 12, QStringLiteral("folder"), tint);
    const qreal left = symbolSide() + symbolGap;
    Shapes::drawLine(painter, font(), tint, {left, Shapes::centredBaseline(font(), midY)}, text(), width() - left);
}

} // namespace sorvel
