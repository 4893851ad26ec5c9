#pragma once

#include <QFont>
#include <QStringList>

namespace sorvel {

// A text broken into at most `maxLines` lines of `width`: set in `font`, or
// smaller down to `minimumScale` of its size when that makes it fit, and
// otherwise cut with an ellipsis at the end of the last line.
struct FittedText {
    QFont font;
    QStringList lines;

    static FittedText fit(const QString& text, const QFont& font, qreal width, int maxLines, qreal minimumScale);
    qreal height() const;
};

} // namespace sorvel
