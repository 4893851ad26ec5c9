#include "app/detail/CueTextField.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace sorvel {

namespace {
// The room QLineEdit keeps on each side of its text, which it does not publish.
constexpr int lineEditMargin = 2;
} // namespace

CueTextField::CueTextField(const QFont& font, const QString& placeholder, Qt::Alignment alignment, QWidget* parent)
    : QLineEdit(parent), m_alignment(alignment) {
    setFrame(false);
    setFont(font);
    setPlaceholderText(placeholder);
    setTextMargins(0, 0, 0, 0);
    alignToColumn();
}

void CueTextField::alignToColumn() {
    // Absolute: otherwise the field mirrors its alignment for a right-to-left
    // text and pushes it against the next column.
    setAlignment(QStyle::visualAlignment(layoutDirection(), m_alignment) | Qt::AlignAbsolute);
}

QRect CueTextField::textRect() const {
    return contentsRect().adjusted(lineEditMargin, 0, -lineEditMargin, 0);
}

bool CueTextField::isCut() const {
    return !hasFocus() && fontMetrics().horizontalAdvance(text()) > textRect().width();
}

QString CueTextField::shownText() const {
    if (!isCut())
        return text();
    return fontMetrics().elidedText(text(), Qt::ElideRight, textRect().width());
}

void CueTextField::paintEvent(QPaintEvent* event) {
    if (!isCut()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    // The text's own direction, so that the ellipsis ends the text where its reader ends it.
    painter.setLayoutDirection(text().isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(textRect(), int(alignment()), shownText());
}

void CueTextField::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::LayoutDirectionChange)
        alignToColumn();
}

} // namespace sorvel
