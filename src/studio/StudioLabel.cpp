#include "studio/StudioLabel.h"

#include <QLabel>
#include <QTextDocument>

namespace sorvel::Studio {

QLabel* plainLabel(const QFont& font, const QColor& color, QWidget* parent) {
    return plainLabel(QString(), font, color, parent);
}

QLabel* plainLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    setTextColor(label, color);
    return label;
}

QString plainToolTip(const QString& text) {
    if (text.isEmpty())
        return text;
    return Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

void setTextColor(QLabel* label, const QColor& color) {
    if (!label)
        return;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace sorvel::Studio
