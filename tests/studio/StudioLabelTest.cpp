#include "studio/StudioLabel.h"
#include "studio/Studio.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QTextDocument>
#include <QWidget>

namespace sorvel {
namespace {

TEST(StudioLabel, ShowsMarkupLiterallyInItsFontAndColour) {
    QWidget parent;
    const QFont font = Studio::font(13, Studio::Weight::Semibold, true);
    QLabel* label = Studio::plainLabel(QStringLiteral("<b>混音</b> & 1 < 2"), font, Studio::text2(), &parent);
    EXPECT_EQ(label->parentWidget(), &parent);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), QStringLiteral("<b>混音</b> & 1 < 2"));
    EXPECT_EQ(label->font().pixelSize(), 13);
    EXPECT_EQ(label->font().weight(), QFont::DemiBold);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), Studio::text2());
    // The colour holds in every state, also while the window is inactive or the label disabled.
    EXPECT_EQ(label->palette().color(QPalette::Inactive, QPalette::WindowText), Studio::text2());
    EXPECT_EQ(label->palette().color(QPalette::Disabled, QPalette::WindowText), Studio::text2());

    // Text set later stays plain as well.
    QLabel* empty = Studio::plainLabel(font, Studio::text3(), &parent);
    EXPECT_TRUE(empty->text().isEmpty());
    empty->setText(QStringLiteral("<i>x</i>"));
    EXPECT_EQ(empty->textFormat(), Qt::PlainText);
    Studio::setTextColor(empty, Studio::tape());
    EXPECT_EQ(empty->palette().color(QPalette::WindowText), Studio::tape());
}

TEST(StudioLabel, ToolTipsShowMarkupLiterally) {
    // Rendered as rich text, the escaped form must read exactly as typed.
    QTextDocument document;
    document.setHtml(Studio::plainToolTip(QStringLiteral("Rock & Roll <b>Live</b>")));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Rock & Roll <b>Live</b>"));
    EXPECT_TRUE(Studio::plainToolTip(QString()).isEmpty());
    document.setHtml(Studio::plainToolTip(QStringLiteral("1 < 2 & 3 > 2")));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("1 < 2 & 3 > 2"));
}

// The tooltip's own label: word-wrapped rich text at the width Qt guesses.
int toolTipLines(const QString& text) {
    QLabel tip;
    tip.setWordWrap(true);
    tip.setText(Studio::plainToolTip(text));
    return tip.sizeHint().height() / QFontMetrics(tip.font()).lineSpacing();
}

TEST(StudioLabel, AShortToolTipStaysOnOneLine) {
    EXPECT_EQ(toolTipLines(QStringLiteral("点一下推进到「已交付」")), 1);
    EXPECT_EQ(toolTipLines(QStringLiteral("推进「1M09」：修改中 → 已录混")), 1);
    // A long text still wraps instead of running off the screen.
    EXPECT_GT(toolTipLines(QString(QStringLiteral("很长的说明")).repeated(40)), 1);
}

} // namespace
} // namespace sorvel
