#include "studio/SectionTitle.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/ValueChange.h"

#include <algorithm>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {

constexpr qreal spacing = 6;

QFont tagFont() {
    QFont font = Studio::font(10, Studio::Weight::Semibold, true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    return font;
}

QFont titleFont() {
    return Studio::font(12, Studio::Weight::Semibold);
}

QFont trailingFont() {
    return Studio::font(11, Studio::Weight::Regular, true);
}

qreal ascentOf(const QFont& font) {
    return QFontMetricsF(font).ascent();
}

qreal descentOf(const QFont& font) {
    return QFontMetricsF(font).descent();
}

} // namespace

SectionTitle::SectionTitle(const QString& title, const QString& tag, const std::optional<QString>& trailing,
                           QWidget* parent)
    : QWidget(parent), m_title(title), m_tag(tag), m_trailing(trailing) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
}

qreal SectionTitle::naturalHeight() {
    const qreal ascent = std::max<qreal>({ascentOf(tagFont()), ascentOf(titleFont()), ascentOf(trailingFont())});
    const qreal descent = std::max<qreal>({descentOf(tagFont()), descentOf(titleFont()), descentOf(trailingFont())});
    return ascent + descent;
}

void SectionTitle::paint(QPainter& painter, const QRectF& rect, const QString& title, const QString& tag,
                         const std::optional<QString>& trailing, const QColor& tint) {
    const qreal ascent = std::max<qreal>({ascentOf(tagFont()), ascentOf(titleFont()), ascentOf(trailingFont())});
    const qreal baseline = rect.center().y() - naturalHeight() / 2 + ascent;
    qreal right = rect.right();
    if (trailing && !trailing->isEmpty()) {
        const qreal width = qMin(Shapes::textWidth(trailingFont(), *trailing), rect.width());
        right -= Shapes::drawLine(painter, trailingFont(), Studio::text3(), QPointF(rect.right() - width, baseline),
                                  *trailing, width)
            + spacing;
    }
    qreal x = rect.left();
    x += Shapes::drawLine(painter, tagFont(), tint, QPointF(x, baseline), tag, right - x);
    if (!tag.isEmpty())
        x += spacing;
    Shapes::drawLine(painter, titleFont(), Studio::text2(), QPointF(x, baseline), title, right - x);
}

void SectionTitle::setTrailing(const std::optional<QString>& trailing) {
    changeAndRepaint(this, m_trailing, trailing);
}

QSize SectionTitle::sizeHint() const {
    const qreal width = Shapes::textWidth(tagFont(), m_tag) + spacing + Shapes::textWidth(titleFont(), m_title)
        + (m_trailing ? spacing + Shapes::textWidth(trailingFont(), *m_trailing) : 0);
    return QSize(int(std::ceil(width)), int(std::ceil(naturalHeight())));
}

void SectionTitle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paint(painter, QRectF(rect()), m_title, m_tag, m_trailing, Studio::tint(this));
}

} // namespace sorvel
