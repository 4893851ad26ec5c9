#include "PanelFixture.h"

#include "app/panel/PanelCueLine.h"
#include "app/panel/PanelTape.h"
#include "core/RecordCoding.h"
#include "core/WidgetIntents.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioLabel.h"
#include "studio/TapeWindow.h"
#include "support/ChildProcess.h"
#include "support/SampleRecords.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>

#include <cmath>
#include <limits>

namespace sorvel::test {
namespace {

class PanelTapeTest : public PanelTest {
protected:
    AudioProject addProject(AudioProject project) {
        store.addProject(project);
        return project;
    }

    AudioProject manual(double progress) {
        AudioProject project = AudioProject::make(QStringLiteral("Manual"), ProjectType::musicID);
        project.progressMode = ProgressMode::Manual;
        project.manualProgress = progress;
        project.status = ProjectStatus::InProgress;
        return addProject(project);
    }

    // An open tape showing the stored project, following the store as the panel list does.
    std::unique_ptr<PanelTape> openTape(const QUuid& id) {
        auto tape = std::make_unique<PanelTape>(*controller, *store.project(id));
        tape->setExpanded(true);
        QObject::connect(&store, &ProjectStore::projectsChanged, tape.get(), [&store = store, t = tape.get(), id] {
            if (const AudioProject* p = store.project(id))
                t->setProject(*p);
        });
        return tape;
    }

    double steppedFrom(double start, double delta) {
        const AudioProject project = manual(start);
        openTape(project.id)->step(delta);
        return store.project(project.id)->manualProgress;
    }
};

TEST_F(PanelTapeTest, TheSubtitleNamesStatusCuesAndTheNextCueOnlyWhileActive) {
    AudioProject bare = AudioProject::make(QStringLiteral("Bare"), ProjectType::musicID);
    EXPECT_EQ(PanelTape::subtitle(bare), QStringLiteral("未开始"));

    AudioProject working = AudioProject::make(QStringLiteral("Working"), ProjectType::musicID);
    working.status = ProjectStatus::InProgress;
    working.items << sampleCue(QStringLiteral("1M1"), QStringLiteral("开场"), CueStage::Delivered)
                  << sampleCue(QStringLiteral("1M2"), QStringLiteral("主旋律"), CueStage::Mixed);
    EXPECT_EQ(PanelTape::subtitle(working),
              QStringLiteral("进行中 · ") + working.cueSummary() + QStringLiteral(" · 主旋律"));
    // Spaces a hand edit left around the title are not shown.
    working.items.last().title = QStringLiteral("  主旋律 ");
    EXPECT_EQ(PanelTape::subtitle(working),
              QStringLiteral("进行中 · ") + working.cueSummary() + QStringLiteral(" · 主旋律"));

    working.status = ProjectStatus::Done;
    EXPECT_EQ(PanelTape::subtitle(working), QStringLiteral("已完成 · ") + working.cueSummary());
    working.status = ProjectStatus::Review;
    working.archivedAt = working.createdAt;
    EXPECT_EQ(PanelTape::subtitle(working), QStringLiteral("待审 · ") + working.cueSummary());
}

TEST_F(PanelTapeTest, ManualStepsRoundToTenthsWithinZeroAndOne) {
    EXPECT_DOUBLE_EQ(steppedFrom(0.43, 0.1), 0.5);
    EXPECT_DOUBLE_EQ(steppedFrom(0.47, -0.1), 0.4);
    EXPECT_DOUBLE_EQ(steppedFrom(0.95, 0.1), 1.0);
    EXPECT_DOUBLE_EQ(steppedFrom(0.05, -0.1), 0.0);
}

TEST_F(PanelTapeTest, AStepThatChangesNothingStillStampsAndSaves) {
    const AudioProject full = manual(1.0);
    store.saveNow();
    ASSERT_FALSE(store.isDirty());
    store.update(full.id, [](AudioProject& p) { p.updatedAt = p.updatedAt.addDays(-3); });
    store.saveNow();
    const QDateTime before = store.project(full.id)->updatedAt;

    auto tape = openTape(full.id);
    ASSERT_TRUE(tape->stepper()->isVisibleTo(tape.get()));
    tape->findChild<StudioButton*>(QStringLiteral("stepUp"))->click();
    EXPECT_DOUBLE_EQ(store.project(full.id)->manualProgress, 1.0);
    EXPECT_GT(store.project(full.id)->updatedAt, before);
    EXPECT_TRUE(store.isDirty());
    EXPECT_EQ(store.project(full.id)->progressMode, ProgressMode::Manual);
}

// The "+" is a step of its own: a step the widget made a moment before the
// store saved still counts.
TEST_F(PanelTapeTest, ThePlusAddsToAStepTheWidgetMadeMeanwhile) {
    const AudioProject project = manual(0.4);
    store.saveNow();
    auto tape = openTape(project.id);
    tape->findChild<StudioButton*>(QStringLiteral("stepUp"))->click();
    // The widget's tap: another process, under the folder's lock.
    ASSERT_EQ(runInChild([&] {
                  return AdjustProgressIntent{RecordCoding::idText(project.id), 0.1}.perform(disk)
                          == IntentOutcome::Done
                      ? 0
                      : 1;
              }),
              0);
    store.saveNow();
    EXPECT_DOUBLE_EQ(store.project(project.id)->manualProgress, 0.6);
    EXPECT_DOUBLE_EQ(tape->project().manualProgress, 0.6);
}

TEST_F(PanelTapeTest, AStepOnAStaleCardChangesNothing) {
    const AudioProject project = manual(0.3);
    auto tape = openTape(project.id);
    store.deleteProjects({project.id});
    store.saveNow();
    tape->step(0.1);
    tape->markDone();
    EXPECT_TRUE(store.projects().isEmpty());
    EXPECT_FALSE(store.isDirty());
}

TEST_F(PanelTapeTest, TheStepperIsOnlyForManualProgress) {
    AudioProject automatic = projectWithCue(QStringLiteral("Auto"));
    addProject(automatic);
    auto tape = openTape(automatic.id);
    EXPECT_FALSE(tape->stepper()->isVisibleTo(tape.get()));
}

TEST_F(PanelTapeTest, CueLinesSayWhereATapGoesAndAdvanceTheCue) {
    AudioProject project = AudioProject::make(QStringLiteral("Cues"), ProjectType::musicID);
    project.items << sampleCue(QStringLiteral("1"), QStringLiteral("Mixed"), CueStage::Mixed)
                  << sampleCue(QStringLiteral("2"), QStringLiteral("Delivered"), CueStage::Delivered)
                  << sampleCue(QStringLiteral("3"), QStringLiteral("New"), CueStage::NotStarted);
    addProject(project);
    auto tape = openTape(project.id);
    ASSERT_EQ(tape->cueLines().size(), 3);
    EXPECT_EQ(tape->cueLines().at(0)->toolTip(), Studio::plainToolTip(QStringLiteral("点一下推进到「已交付」")));
    EXPECT_EQ(tape->cueLines().at(1)->toolTip(), Studio::plainToolTip(QStringLiteral("点一下推进到「已录混」")));
    EXPECT_EQ(tape->cueLines().at(2)->toolTip(), Studio::plainToolTip(QStringLiteral("点一下推进到「作曲中」")));

    click(tape->cueLines().at(1));
    EXPECT_EQ(store.project(project.id)->items.at(1).stage, CueStage::Mixed);
    EXPECT_FALSE(store.project(project.id)->items.at(1).deliveredAt.has_value());
    click(tape->cueLines().at(0));
    EXPECT_EQ(store.project(project.id)->items.at(0).stage, CueStage::Delivered);
    EXPECT_EQ(tape->cueLines().at(0)->toolTip(), Studio::plainToolTip(QStringLiteral("点一下推进到「已录混」")));
}

TEST_F(PanelTapeTest, ANoteGoesOnTopOfTheLogWithTheProgressBeforeIt) {
    AudioProject project = AudioProject::make(QStringLiteral("Notes"), ProjectType::musicID);
    project.items << cueAt(CueStage::Delivered) << cueAt(CueStage::Composing);
    project.log << LogEntry{QUuid::createUuid(), project.createdAt.addDays(-2), QStringLiteral("old"), 0};
    addProject(project);
    auto tape = openTape(project.id);
    QLineEdit* field = tape->noteField();
    EXPECT_EQ(field->placeholderText(), QStringLiteral("记一笔进度…"));

    field->setText(QStringLiteral("   "));
    pressKey(field, Qt::Key_Return);
    EXPECT_EQ(store.project(project.id)->log.size(), 1);
    EXPECT_EQ(field->text(), QStringLiteral("   "));

    field->setText(QStringLiteral("  混完第二段 \t"));
    pressKey(field, Qt::Key_Return);
    const AudioProject& stored = *store.project(project.id);
    ASSERT_EQ(stored.log.size(), 2);
    EXPECT_EQ(stored.log.first().text, QStringLiteral("混完第二段"));
    EXPECT_DOUBLE_EQ(stored.log.first().progress, 0.5);
    EXPECT_EQ(stored.status, ProjectStatus::InProgress); // touched: progress above 0
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(tape->logLine()->text(), QStringLiteral("现在 · 混完第二段"));
}

TEST_F(PanelTapeTest, MarkDoneOnlyWhenEveryCueIsDeliveredOrManualProgressIsFull) {
    AudioProject project = AudioProject::make(QStringLiteral("Rule"), ProjectType::musicID);
    EXPECT_FALSE(PanelTape::offersMarkDone(project));
    project.items << cueAt(CueStage::Delivered) << cueAt(CueStage::Mixed);
    EXPECT_FALSE(PanelTape::offersMarkDone(project));
    project.items[1].stage = CueStage::Delivered;
    EXPECT_TRUE(PanelTape::offersMarkDone(project));
    project.progressMode = ProgressMode::Manual; // the cue test ignores the mode
    EXPECT_TRUE(PanelTape::offersMarkDone(project));

    AudioProject manualOnly = AudioProject::make(QStringLiteral("Manual"), ProjectType::musicID);
    manualOnly.progressMode = ProgressMode::Manual;
    manualOnly.manualProgress = 0.99;
    EXPECT_FALSE(PanelTape::offersMarkDone(manualOnly));
    manualOnly.manualProgress = 1.0;
    EXPECT_TRUE(PanelTape::offersMarkDone(manualOnly));
    manualOnly.progressMode = ProgressMode::Auto; // the manual test needs manual mode
    EXPECT_FALSE(PanelTape::offersMarkDone(manualOnly));
}

TEST_F(PanelTapeTest, MarkDoneFinishesTheTapeAndADoneTapeOffersArchiveInstead) {
    const AudioProject project = manual(1.0);
    auto tape = openTape(project.id);
    ASSERT_TRUE(tape->markDoneButton()->isVisibleTo(tape.get()));
    EXPECT_FALSE(tape->archiveButton()->isVisibleTo(tape.get()));
    tape->markDoneButton()->click();
    const AudioProject& stored = *store.project(project.id);
    EXPECT_EQ(stored.status, ProjectStatus::Done);
    EXPECT_TRUE(stored.completedAt.has_value());
    EXPECT_EQ(stored.log.first().text, QStringLiteral("完成"));
    EXPECT_FALSE(tape->markDoneButton()->isVisibleTo(tape.get()));
    EXPECT_TRUE(tape->archiveButton()->isVisibleTo(tape.get()));
    EXPECT_FALSE(tape->tapeWindow()->isSpinning());

    controller->start();
    controller->expand();
    controller->setPinned(true);
    tape->archiveButton()->click();
    EXPECT_EQ(links, QStringList{QStringLiteral("sorvel://archive/") + RecordCoding::idText(project.id)});
    EXPECT_FALSE(controller->isExpanded());
}

TEST_F(PanelTapeTest, TheFolderButtonOpensOnlyAnExistingDirectory) {
    AudioProject project = AudioProject::make(QStringLiteral("Folder"), ProjectType::musicID);
    project.folderPath = QString();
    addProject(project);
    auto tape = openTape(project.id);
    EXPECT_TRUE(tape->folderButton()->isVisibleTo(tape.get())); // an empty path still shows the button
    tape->folderButton()->click();
    EXPECT_TRUE(openedFolders.isEmpty());

    const QString file = environment.scratch() + QStringLiteral("/not-a-folder.txt");
    writeFile(file, "x");
    store.update(project.id, [&](AudioProject& p) { p.folderPath = file; });
    tape->folderButton()->click();
    EXPECT_TRUE(openedFolders.isEmpty());

    QDir().mkpath(environment.scratch() + QStringLiteral("/Score"));
    store.update(project.id, [&](AudioProject& p) { p.folderPath = environment.scratch() + QStringLiteral("/Score"); });
    tape->folderButton()->click();
    EXPECT_EQ(openedFolders, QStringList{environment.scratch() + QStringLiteral("/Score")});

    store.update(project.id, [](AudioProject& p) { p.folderPath.reset(); });
    EXPECT_FALSE(tape->folderButton()->isVisibleTo(tape.get()));
}

TEST_F(PanelTapeTest, TheDetailButtonOpensTheProjectLinkEvenFromAPinnedPanel) {
    const AudioProject project = manual(0.2);
    controller->start();
    controller->toggle();
    ASSERT_TRUE(controller->isPinned());
    auto tape = openTape(project.id);
    tape->openDetail();
    EXPECT_EQ(links, QStringList{project.deepLink().toString()});
    EXPECT_FALSE(controller->isExpanded());
    EXPECT_FALSE(controller->isPinned());
}

TEST_F(PanelTapeTest, OddStoredProgressShowsClampedAndIsNeverRewritten) {
    const AudioProject huge = manual(7.5);
    const AudioProject broken = manual(std::numeric_limits<double>::quiet_NaN());
    auto hugeTape = openTape(huge.id);
    auto brokenTape = openTape(broken.id);
    EXPECT_DOUBLE_EQ(hugeTape->tapeWindow()->progress(), 1.0);
    EXPECT_DOUBLE_EQ(brokenTape->tapeWindow()->progress(), 0.0);
    EXPECT_DOUBLE_EQ(store.project(huge.id)->manualProgress, 7.5);
    EXPECT_TRUE(std::isnan(store.project(broken.id)->manualProgress));
}

TEST_F(PanelTapeTest, TheWindowTurnsOnlyForActiveTapesPartWayThrough) {
    auto started = openTape(manual(0.4).id);
    EXPECT_TRUE(started->tapeWindow()->isSpinning());
    auto empty = openTape(manual(0).id);
    EXPECT_FALSE(empty->tapeWindow()->isSpinning());
    auto full = openTape(manual(1).id);
    EXPECT_FALSE(full->tapeWindow()->isSpinning());
}

TEST_F(PanelTapeTest, AnOpenTapeTakesANewTypeColourAtOnce) {
    auto tape = openTape(manual(0.4).id);
    EXPECT_EQ(tape->tapeWindow()->color(), Studio::typeColor(store.registry().type(ProjectType::musicID)));

    QList<ProjectType> types = ProjectType::defaults();
    types.first().colorHex = QStringLiteral("34C759");
    store.registry().setTypes(types);
    EXPECT_EQ(tape->tapeWindow()->color().name(), "#34c759");
}

} // namespace
} // namespace sorvel::test
