#include "LibraryFixture.h"

#include "app/library/ProjectListView.h"
#include "app/library/ShelfHeader.h"
#include "app/library/ShelfMode.h"
#include "app/library/TapeShelf.h"
#include "core/Settings.h"
#include "studio/StudioButton.h"

#include <QElapsedTimer>

namespace sorvel::test {
namespace {

class HugeNameTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        Settings::shared().remove(ShelfMode::key());
    }
    void TearDown() override { Settings::shared().remove(ShelfMode::key()); }

    // Paints the whole shelf once and says how long it took.
    static qint64 paintMilliseconds(TapeShelf& shelf) {
        QElapsedTimer timer;
        timer.start();
        shelf.grab();
        return timer.elapsed();
    }
};

// Tens of megabytes in one name once froze the window for seconds; the shown
// text is cut long before the layout, so a shelf holding such a tape paints
// as fast as any other.
TEST_F(HugeNameTest, AFiftyMegabyteNamePaintsWellUnderASecond) {
    const QString huge = QStringLiteral("Huge ") + QString(50 * 1024 * 1024, QLatin1Char('x'));
    put({project(huge,
                 [](AudioProject& p) {
                     Cue cue;
                     cue.title = QString(1024 * 1024, QLatin1Char('c'));  // shown as the card's next step
                     p.items.append(cue);
                 }),
         project("ordinary")});
    TapeShelf shelf(store, router);
    shelf.resize(1200, 800);
    shelf.show();
    paintMilliseconds(shelf);  // fonts and caches are made on the first paint

    EXPECT_LT(paintMilliseconds(shelf), 400) << "cards";
    shelf.header()->listModeButton()->click();
    ASSERT_EQ(shelf.content(), TapeShelf::Content::List);
    EXPECT_LT(paintMilliseconds(shelf), 400) << "list";
    // Only the shown text was cut.
    EXPECT_EQ(store.projects().first().name.size(), huge.size());
}

} // namespace
} // namespace sorvel::test
