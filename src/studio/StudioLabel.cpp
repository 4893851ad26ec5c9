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
    // Qt wraps rich tooltips at a width it guesses from Latin letters, which
    // splits a short Chinese line anywhere ("已交" / "付"): a short line keeps
    // to one line, longer texts still wrap.
    if (text.size() <= shortToolTipLength && !text.contains(QLatin1Char('\n')))
        return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
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
