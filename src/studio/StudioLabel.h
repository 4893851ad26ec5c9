#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace sorvel::Studio {

// A label that shows its text as typed (never as rich text, so a project
// name with markup characters stays literal) in `font` and `color`.
QLabel* plainLabel(const QFont& font, const QColor& color, QWidget* parent);
QLabel* plainLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent);

// A tooltip text that shows `text` literally: tooltips guess rich text from
// their content, so a name such as "<b>Live</b>" would otherwise turn bold.
// A single line of up to shortToolTipLength characters is never wrapped.
QString plainToolTip(const QString& text);
constexpr qsizetype shortToolTipLength = 40;

// Gives an existing label the text colour `color`.
void setTextColor(QLabel* label, const QColor& color);

} // namespace sorvel::Studio
