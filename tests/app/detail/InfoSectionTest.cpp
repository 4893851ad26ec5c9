#include "DetailFixture.h"

#include "app/detail/CueSection.h"
#include "app/detail/InfoSection.h"
#include "studio/DateChip.h"
#include "studio/PlainSymbolButton.h"
#include "studio/SectionTitle.h"
#include "studio/StudioButton.h"
#include "studio/StudioLabel.h"

namespace sorvel::test {
namespace {

class InfoSectionTest : public DetailTest {
protected:
    InfoSection* section() const { return pane->infoSection(); }
};

TEST_F(InfoSectionTest, DeadlineIsSetAndClearedWithAStampAndNoStatusRule) {
    const AudioProject project = test::project(QStringLiteral("Due"), [&](AudioProject& p) {
        p.status = ProjectStatus::NotStarted;
        p.progressMode = ProgressMode::Manual;
        p.manualProgress = 0.5;
        p.updatedAt = earlier;
    });
    open(project);
    EXPECT_EQ(section()->deadlineChip()->displayText(), QStringLiteral("点击设置"));

    const QDateTime due(QDate(Clock::now().toLocalTime().date().year(), 12, 20), QTime(0, 0));
    Q_EMIT section()->deadlineChip()->dateChosen(due);
    EXPECT_EQ(stored(project.id).deadline, due);
    EXPECT_GT(stored(project.id).updatedAt, earlier);
    EXPECT_EQ(stored(project.id).status, ProjectStatus::NotStarted);
    EXPECT_EQ(section()->deadlineChip()->displayText(), QStringLiteral("12.20"));

    store.update(project.id, [&](AudioProject& p) { p.updatedAt = earlier; });
    Q_EMIT section()->deadlineChip()->dateChosen(std::nullopt);
    EXPECT_FALSE(stored(project.id).deadline.has_value());
    EXPECT_GT(stored(project.id).updatedAt, earlier);
    EXPECT_EQ(section()->deadlineChip()->displayText(), QStringLiteral("点击设置"));
}

TEST_F(InfoSectionTest, FolderRowShowsTheNameAndChoosesWithoutStamping) {
    const AudioProject project =
        test::project(QStringLiteral("Folder"), [&](AudioProject& p) { p.updatedAt = earlier; });
    open(project);
    EXPECT_TRUE(section()->folderLink()->isHidden());
    EXPECT_EQ(section()->folderButton()->text(), QStringLiteral("选择"));

    store.update(project.id, [](AudioProject& p) { p.folderPath = QStringLiteral("/music/Trailer 03/"); });
    EXPECT_FALSE(section()->folderLink()->isHidden());
    EXPECT_EQ(section()->folderLink()->text(), QStringLiteral("Trailer 03"))
        << "a trailing slash still names the folder";
    EXPECT_EQ(section()->folderLink()->toolTip(), Studio::plainToolTip(QStringLiteral("/music/Trailer 03/")));
    EXPECT_EQ(section()->folderButton()->text(), QStringLiteral("更改"));
    EXPECT_EQ(stored(project.id).updatedAt, earlier);

    section()->folderLink()->click();
    EXPECT_TRUE(shownFolders.isEmpty()) << "the folder does not exist";

    const QString longName = QString(80, QLatin1Char('x')) + QStringLiteral("-end");
    store.update(project.id, [&](AudioProject& p) { p.folderPath = QStringLiteral("/music/") + longName; });
    const QString shown = section()->folderLink()->text();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("-end")) && shown.contains(QChar(0x2026))) << str(shown);
    EXPECT_LE(section()->folderLink()->sizeHint().width(), InfoSection::widestFolderName + 40);
    EXPECT_EQ(section()->folderLink()->toolTip(), Studio::plainToolTip(QStringLiteral("/music/") + longName));
}

TEST_F(InfoSectionTest, CueTitleSumsTheCuesUp) {
    AudioProject project = test::project(QStringLiteral("Cues"));
    EXPECT_FALSE(CueSection::summary(project).has_value());
    project.addCue(QStringLiteral("Main Title"));
    EXPECT_EQ(CueSection::summary(project), project.cueSummary());
    EXPECT_EQ(*CueSection::summary(project), QStringLiteral("交付 0/1 · 录混 0/1"));
}

} // namespace
} // namespace sorvel::test
