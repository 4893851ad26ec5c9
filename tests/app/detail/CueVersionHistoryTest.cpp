#include "CueTableFixture.h"
#include "support/Waiting.h"

#include "app/detail/CueVersionPopover.h"
#include "studio/ElidedLine.h"
#include "studio/ScrollFade.h"
#include "studio/SilentScrollColumn.h"

#include <QScrollBar>

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

class CueVersionHistoryTest : public CueTableTest {
protected:
    CueVersionPopover* openWith(int versions) {
        Cue cue = namedCue("1M01", QStringLiteral("Opening"));
        for (int i = 0; i < versions; ++i)
            cue.addVersion(QStringLiteral("take take take %1").arg(i), Clock::now());
        open({cue});
        CueRow* row = table->rows().first();
        row->openVersions();
        return row->versionPopover();
    }

    // The lightest pixel of the popover along one line across a note, where
    // the history's viewport cuts it.
    static int lightestAcross(CueVersionPopover* popover, const ElidedLine* note, int viewportY) {
        const QWidget* viewport = popover->history()->viewport();
        const int y = viewport->mapTo(popover, QPoint(0, viewportY)).y();
        const QImage shot = popover->grab().toImage();
        const int left = note->mapTo(popover, QPoint(0, 0)).x();
        int lightest = 0;
        for (int x = left; x < left + note->width() && x < shot.width(); ++x)
            lightest = std::max(lightest, QColor(shot.pixel(x, y)).lightness());
        return lightest;
    }

    // Scrolls so that `line` of the viewport runs through the middle of a note's text.
    static const ElidedLine* cutThroughANote(CueVersionPopover* popover, int line) {
        QScrollBar* bar = popover->history()->verticalScrollBar();
        const ElidedLine* note = popover->noteLines().at(popover->noteLines().size() / 2);
        const int middle = note->mapTo(popover->history()->widget(), QPoint(0, note->height() / 2)).y();
        bar->setValue(middle - line);
        return note;
    }
};

TEST_F(CueVersionHistoryTest, AHistoryCutByTheScreenFadesOutWhereItGoesOn) {
    CueVersionPopover* popover = openWith(60);
    ASSERT_NE(popover, nullptr);
    const QScrollBar* bar = popover->history()->verticalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }, 2000));
    // Opened on the newest versions: more lies above only.
    EXPECT_TRUE(popover->historyFade()->fadesTop());
    EXPECT_FALSE(popover->historyFade()->fadesBottom());

    const int textLightness = QColor(Studio::text()).lightness();
    const int plateLightness = QColor(Studio::bg1()).lightness();
    const ElidedLine* top = cutThroughANote(popover, 0);
    EXPECT_TRUE(popover->historyFade()->fadesTop() && popover->historyFade()->fadesBottom());
    EXPECT_LE(lightestAcross(popover, top, 0), plateLightness + 8) << "the note is cut at the top without a fade";

    const int bottomLine = popover->history()->viewport()->height() - 1;
    const ElidedLine* bottom = cutThroughANote(popover, bottomLine);
    EXPECT_LE(lightestAcross(popover, bottom, bottomLine), plateLightness + 8)
        << "the note is cut at the bottom without a fade";
    // Inside the history the notes are as light as ever.
    const int middleLine = popover->history()->viewport()->height() / 2;
    const ElidedLine* inside = cutThroughANote(popover, middleLine);
    EXPECT_GE(lightestAcross(popover, inside, middleLine), (textLightness + plateLightness) / 2);
}

TEST_F(CueVersionHistoryTest, AHistoryThatFitsHasNoFade) {
    CueVersionPopover* popover = openWith(3);
    ASSERT_NE(popover, nullptr);
    ASSERT_TRUE(waitForQueuedEvents());
    EXPECT_EQ(popover->history()->verticalScrollBar()->maximum(), 0);
    EXPECT_FALSE(popover->historyFade()->fadesTop());
    EXPECT_FALSE(popover->historyFade()->fadesBottom());
}

} // namespace
} // namespace sorvel::test
