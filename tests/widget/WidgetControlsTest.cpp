#include "support/SampleRecords.h"
#include "WidgetFixture.h"

#include "core/Clock.h"
#include "core/RecordCoding.h"
#include "studio/StudioLabel.h"
#include "support/ChildProcess.h"
#include "widget/IntentButton.h"
#include "widget/ListView.h"
#include "widget/NextStepControl.h"
#include "widget/QuickAction.h"
#include "widget/SmallView.h"
#include "widget/SorvelWidgetView.h"
#include "widget/TrackRow.h"
#include "widget/WidgetHost.h"
#include "widget/WidgetWindow.h"

#include <QDir>
#include <QFile>

#include <limits>

namespace sorvel::test {
namespace {

using Form = NextStep::Form;

TEST(ControlChoice, AutomaticWithANextCueAdvancesIt) {
    const AudioProject project = projectWithStages("a", {CueStage::Delivered, CueStage::Mixed, CueStage::NotStarted});
    EXPECT_EQ(NextStep::form(project), Form::AdvanceCue);
    const std::optional<WidgetIntent> intent = NextStep::intent(project);
    ASSERT_TRUE(intent && std::holds_alternative<ToggleItemIntent>(*intent));
    const auto& toggle = std::get<ToggleItemIntent>(*intent);
    EXPECT_EQ(toggle.projectID, RecordCoding::idText(project.id));
    EXPECT_EQ(toggle.itemID, RecordCoding::idText(project.items[1].id));
    EXPECT_EQ(toggle.itemID.size(), 36);

    NextStepControl control(project);
    EXPECT_EQ(control.text(), QStringLiteral("2 · 已录混"));
    QuickAction action(project, ProjectType::find(ProjectType::defaults(), project.typeID));
    ASSERT_NE(action.button(), nullptr);
    EXPECT_EQ(action.button()->toolTip(), Studio::plainToolTip(QStringLiteral("推进「2」：已录混 → 已交付")));
}

TEST(ControlChoice, ManualBelowOneAddsTenPointsWhateverTheCues) {
    AudioProject project = projectWithStages("a", {CueStage::Composing});
    project.progressMode = ProgressMode::Manual;
    project.manualProgress = 0.95;
    EXPECT_EQ(NextStep::form(project), Form::AddProgress);
    const std::optional<WidgetIntent> intent = NextStep::intent(project);
    ASSERT_TRUE(intent && std::holds_alternative<AdjustProgressIntent>(*intent));
    EXPECT_EQ(std::get<AdjustProgressIntent>(*intent).delta, 0.1);
    EXPECT_EQ(NextStepControl(project).text(), QStringLiteral("+10%"));
    EXPECT_NE(QuickAction(project, ProjectType::defaults().first()).button(), nullptr);
}

TEST(ControlChoice, OtherwiseTheStatusIsShownAndNothingCanBeTapped) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    AudioProject noCues = projectUpdated("none", 0);
    noCues.status = ProjectStatus::Review;
    const AudioProject allDelivered = projectWithStages("all", {CueStage::Delivered});
    for (const AudioProject& project :
         {noCues, allDelivered, manualProject("full", 1.0), manualProject("nan", nan), manualProject("over", 3)}) {
        EXPECT_EQ(NextStep::form(project), Form::Status) << project.name.toStdString();
        EXPECT_FALSE(NextStep::intent(project));
        NextStepControl control(project);
        EXPECT_EQ(control.button(), nullptr);
        EXPECT_EQ(control.text(), title(project.status));
        QuickAction action(project, ProjectType::find(ProjectType::defaults(), project.typeID));
        EXPECT_EQ(action.button(), nullptr);
        EXPECT_EQ(action.sizeHint(), QSize(0, 0));
    }
}

TEST(ControlChoice, TheStatusPlaysNoPart) {
    AudioProject done = projectWithStages("done", {CueStage::Revising});
    done.status = ProjectStatus::Done;
    EXPECT_EQ(NextStep::form(done), Form::AdvanceCue);
    AudioProject doneManual = manualProject("m", 0.5);
    doneManual.status = ProjectStatus::Done;
    EXPECT_EQ(NextStep::form(doneManual), Form::AddProgress);
}

TEST(ControlChoice, ACueWithoutNumberStartsWithTheSeparator) {
    AudioProject project = projectWithStages("a", {CueStage::NotStarted});
    project.items[0].number.clear();
    EXPECT_EQ(NextStepControl(project).text(), QStringLiteral(" · 未开始"));
    EXPECT_EQ(QuickAction(project, ProjectType::defaults().first()).button()->toolTip(),
              Studio::plainToolTip(QStringLiteral("推进「」：未开始 → 作曲中")));
}

// The buttons on the real path: a window of the host over the data file.
class WidgetButtons : public WidgetFixture {
protected:
    QList<QUrl> opened;
    std::unique_ptr<WidgetHost> host;

    WidgetWindow* show(WidgetFamily family) {
        host = std::make_unique<WidgetHost>(disk, QList<WidgetFamily>{family}, RenderingMode::FullColor, settings,
                                            [this](const QUrl& link) { opened.append(link); });
        host->start();
        QApplication::processEvents();
        return host->windows().first();
    }

    TrackRow* row(const QUuid& id) {
        for (TrackRow* row : host->windows().first()->view()->listView()->rows()) {
            if (row->project().id == id)
                return row;
        }
        ADD_FAILURE() << "no row";
        return nullptr;
    }

    // Taps the row's quick action of a project in a medium widget.
    void tapQuickAction(const QUuid& id) {
        TrackRow* found = row(id);
        ASSERT_NE(found, nullptr);
        ASSERT_NE(found->quickAction()->button(), nullptr);
        tap(found->quickAction()->button());
        QApplication::processEvents();
    }
};

TEST_F(WidgetButtons, PlusStepsManualProgressInTenthsAndStopsAtOne) {
    const QList<std::pair<double, double>> steps{{0.95, 1.0}, {0.34, 0.4}, {0.25, 0.4}, {0.0, 0.1}};
    QList<AudioProject> projects;
    for (const auto& [start, expected] : steps)
        projects.append(manualProject(QString::number(start), start));
    store(projects);
    show(WidgetFamily::Large);

    for (int i = 0; i < steps.size(); ++i) {
        tapQuickAction(projects[i].id);
        const AudioProject stored = storedProject(projects[i].id);
        EXPECT_EQ(stored.manualProgress, steps[i].second) << steps[i].first;
        EXPECT_EQ(stored.progressMode, ProgressMode::Manual);
        EXPECT_EQ(stored.status, ProjectStatus::InProgress); // touched: progress above zero
    }
    // At 1.0 the row offers nothing more.
    TrackRow* full = row(projects[0].id);
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->quickAction()->form(), Form::Status);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(WidgetButtons, AdvancingACueStampsItsStageDatesAndTheProject) {
    AudioProject project = projectWithStages("a", {CueStage::Delivered, CueStage::Revising, CueStage::NotStarted});
    project.status = ProjectStatus::NotStarted;
    project.items[0].deliveredAt.reset(); // a file edited by hand
    project.updatedAt = QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
    AudioProject fresh = projectWithStages("fresh", {CueStage::NotStarted});
    fresh.status = ProjectStatus::NotStarted;
    store({project, fresh});
    show(WidgetFamily::Medium);

    const QDateTime before = Clock::now();
    tapQuickAction(project.id);
    const AudioProject advanced = storedProject(project.id);
    const QDateTime after = Clock::now();
    EXPECT_EQ(advanced.items[1].stage, CueStage::Mixed);
    ASSERT_TRUE(advanced.items[1].mixedAt && advanced.items[1].startDate);
    EXPECT_GE(*advanced.items[1].mixedAt, before);
    EXPECT_LE(*advanced.items[1].mixedAt, after);
    EXPECT_FALSE(advanced.items[1].deliveredAt);
    EXPECT_GE(advanced.updatedAt, before);
    EXPECT_EQ(advanced.items[0], project.items[0]); // other cues untouched
    EXPECT_EQ(advanced.items[2], project.items[2]);
    // One of three cues delivered: progress above zero, so no longer "not started".
    EXPECT_EQ(advanced.status, ProjectStatus::InProgress);

    // A cue moved off "not started" gets its start date, and its project
    // stays not started while no cue is delivered.
    tapQuickAction(fresh.id);
    const AudioProject started = storedProject(fresh.id);
    EXPECT_EQ(started.items[0].stage, CueStage::Composing);
    ASSERT_TRUE(started.items[0].startDate);
    EXPECT_GE(*started.items[0].startDate, before);
    EXPECT_EQ(started.status, ProjectStatus::NotStarted);
}

TEST_F(WidgetButtons, TheFileIsWrittenInTheStoreFormatAndTheWidgetRedrawsFromIt) {
    const AudioProject project = projectWithStages("a", {CueStage::Mixed});
    store({project, projectUpdated("other", 3600)});
    WidgetWindow* window = show(WidgetFamily::Large);
    const int reloads = host->reloadCount();
    tapQuickAction(project.id);

    const QByteArray written = readFile(dataFile());
    const std::optional<Library> decoded = RecordCoding::decodeLibrary(written, test::fileTime());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(written, RecordCoding::encodeLibrary(*decoded));
    EXPECT_EQ(decoded->types, ProjectType::defaults());
    EXPECT_EQ(decoded->projects.size(), 2);

    EXPECT_EQ(host->reloadCount(), reloads + 1);
    TrackRow* redrawn = window->view()->listView()->rows().first();
    EXPECT_EQ(redrawn->project().id, project.id); // touched, so still first
    EXPECT_EQ(redrawn->percentText(), QStringLiteral("100"));
    EXPECT_EQ(redrawn->nextLine(), redrawn->project().cueSummary());
}

TEST_F(WidgetButtons, AStaleButtonLeavesACueThatMovedOnAloneAndRedraws) {
    AudioProject project = projectWithStages("a", {CueStage::Revising, CueStage::Composing});
    store({project});
    WidgetWindow* window = show(WidgetFamily::Large);
    // Meanwhile the application delivered the first cue: the row still offers
    // "revising → mixed" for it.
    project.items[0].setStage(CueStage::Delivered, Clock::now());
    store({project});
    const AudioProject delivered = storedProject(project.id);
    ASSERT_TRUE(delivered.items[0].deliveredAt);

    tapQuickAction(project.id);
    // The delivery and its date stay; nothing else moved.
    EXPECT_EQ(storedProject(project.id), delivered);
    EXPECT_EQ(window->view()->notice(), WidgetHost::tapeChangedText());
    // The face now offers the cue that really is next.
    TrackRow* redrawn = window->view()->listView()->rows().first();
    EXPECT_EQ(redrawn->nextLine(), QStringLiteral("NEXT · 2 · 作曲中"));

    tapQuickAction(project.id);
    EXPECT_EQ(storedProject(project.id).items[1].stage, CueStage::Revising);
}

// Another program changes the file as a script would.
void writeInAnotherProgram(const QString& path, const QByteArray& bytes) {
    ASSERT_EQ(runInChild([&] {
                  QFile file(path);
                  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() ? 0
                                                                                                                    : 1;
              }),
              0);
}

// The identifier the button carries now names another cue (number, title or
// stage differ): the tap changes nothing and says the tape changed; the face
// then shows the cue as it is, and a tap on that acts.
TEST_F(WidgetButtons, ATapOnACueThatIsNoLongerAsDrawnChangesNothingAndSaysSo) {
    AudioProject project = projectWithStages("a", {CueStage::Composing});
    project.items[0].title = QStringLiteral("Alpha");
    store({project});
    WidgetWindow* window = show(WidgetFamily::Large);
    ASSERT_EQ(runInChild([&] {
                  return Storage::mutate(disk,
                                         [](Library& library) {
                                             Cue& cue = library.projects.first().items.first();
                                             cue.number = QStringLiteral("0");
                                             cue.title = QStringLiteral("Intro");
                                         })
                      ? 0
                      : 1;
              }),
              0);
    const QByteArray before = readFile(dataFile());

    tapQuickAction(project.id);
    EXPECT_EQ(readFile(dataFile()), before);
    EXPECT_EQ(window->view()->notice(), WidgetHost::tapeChangedText());
    TrackRow* redrawn = row(project.id);
    ASSERT_NE(redrawn, nullptr);
    EXPECT_EQ(redrawn->nextLine(), QStringLiteral("NEXT · 0 · 作曲中"));
    tapQuickAction(project.id);
    EXPECT_EQ(storedProject(project.id).items[0].stage, CueStage::Revising);
}

// Cues of the earlier format carry no identifier. Another program puts a cue
// before the one the small widget shows: a tap never advances the newcomer.
TEST_F(WidgetButtons, ACueInsertedBeforeTheShownOneOfAnEarlierFileIsNeverAdvancedInItsPlace) {
    const QByteArray project = R"({"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Film", "items": [)";
    const QByteArray alpha = R"({"title": "Alpha", "stage": "composing"})";
    const QByteArray intro = R"({"title": "Intro", "stage": "composing"})";
    ASSERT_TRUE(QDir().mkpath(environment.dataFolder()));
    writeFile(dataFile(), R"({"version": 2, "projects": [)" + project + alpha + "]}]}");
    WidgetWindow* window = show(WidgetFamily::Small);
    ASSERT_EQ(window->view()->smallView()->control()->text(), QStringLiteral("1 · 作曲中"));
    writeInAnotherProgram(dataFile(), R"({"version": 2, "projects": [)" + project + intro + "," + alpha + "]}]}");

    tap(window->view()->smallView()->control()->button());
    const QList<Cue> cues =
        storedProject(QUuid::fromString(QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"))).items;
    ASSERT_EQ(cues.size(), 2);
    EXPECT_EQ(cues[0].title, QStringLiteral("Intro"));
    EXPECT_EQ(cues[0].stage, CueStage::Composing) << "the tap advanced the cue put before the one it showed";
    // The shown cue is found where it went, but it now shows its new place as its
    // number: no longer as drawn, so the tap changes nothing and says why.
    EXPECT_EQ(cues[1].stage, CueStage::Composing);
    EXPECT_EQ(window->view()->notice(), WidgetHost::tapeChangedText());
}

// Under the pointer a tape deleted elsewhere stays drawn where it was, with
// the header's count; a tap on it changes nothing and says the tape is gone.
TEST_F(WidgetButtons, ATapOnAHeldTapeThatLeftTheFileChangesNothingAndSaysSo) {
    const AudioProject kept = manualProject("kept", 0.2);
    const AudioProject deleted = manualProject("deleted", 0.4);
    store({kept, deleted});
    WidgetWindow* window = show(WidgetFamily::Medium);
    pointerEnters(window->view());
    ASSERT_EQ(runInChild([&] {
                  return Storage::mutate(disk,
                                         [&](Library& library) {
                                             library.projects.removeIf(
                                                 [&](const AudioProject& p) { return p.id == deleted.id; });
                                         })
                      ? 0
                      : 1;
              }),
              0);
    host->reloadAll();
    ASSERT_NE(row(deleted.id), nullptr);
    EXPECT_EQ(window->view()->listView()->total(), 2);
    const QByteArray before = readFile(dataFile());

    tapQuickAction(deleted.id);
    EXPECT_EQ(readFile(dataFile()), before);
    EXPECT_EQ(window->view()->notice(), WidgetHost::tapeGoneText());
    tapQuickAction(kept.id);
    EXPECT_DOUBLE_EQ(storedProject(kept.id).manualProgress, 0.3);
    pointerLeaves(window->view());
}

// The small face held under the pointer shows a tape deleted elsewhere: a tap
// on it opens nothing and says the tape is gone. Once the face shows a tape
// of the file, a tap opens it.
TEST_F(WidgetButtons, ATapOnAHeldFaceWhoseTapeLeftTheFileOpensNothingAndSaysSo) {
    const AudioProject deleted = manualProject("deleted", 0.4);
    const AudioProject other = projectUpdated("other", 3600);
    store({deleted, other});
    WidgetWindow* window = show(WidgetFamily::Small);
    SorvelWidgetView* view = window->view();
    pointerEnters(view);
    ASSERT_EQ(runInChild([&] {
                  return Storage::mutate(disk,
                                         [&](Library& library) {
                                             library.projects.removeIf(
                                                 [&](const AudioProject& each) { return each.id == deleted.id; });
                                         })
                      ? 0
                      : 1;
              }),
              0);
    host->reloadAll();
    ASSERT_EQ(view->smallView()->project().id, deleted.id);

    tap(view, QPoint(view->width() / 2, 30));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(view->notice(), WidgetHost::tapeGoneText());

    pointerLeaves(view);
    ASSERT_TRUE(waitUntil([&] { return !view->holdsOrder(); }, SorvelWidgetView::orderHoldMs + 1000));
    ASSERT_EQ(view->smallView()->project().id, other.id);
    tap(view, QPoint(view->width() / 2, 30));
    EXPECT_EQ(opened, QList<QUrl>{other.deepLink()});
}

// Under a file-size limit (a quota, a limited service) a tap's change cannot
// be written: the file stays as it was, the face keeps showing it, and every
// window says the file could not be written and why, in the user's words.
TEST_F(WidgetButtons, ATapWhoseWriteFailsChangesNothingAndSaysWhy) {
    const AudioProject project = manualProject("a", 0.3);
    store({project});
    WidgetWindow* window = show(WidgetFamily::Small);
    const QByteArray before = readFile(dataFile());

    expectInChild([&] {
        const FileSizeCap cap(rlim_t(before.size() - 1));
        ASSERT_TRUE(cap.isLowered());
        testing::internal::CaptureStderr();
        tap(window->view()->smallView()->control()->button());
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(readFile(dataFile()), before);
        EXPECT_EQ(window->view()->notice(), QStringLiteral("无法写入数据文件：文件太大"));
        EXPECT_EQ(window->view()->smallView()->percentText(), QStringLiteral("30"));
    });
    EXPECT_EQ(readFile(dataFile()), before);
}

TEST_F(WidgetButtons, TheSmallControlRunsItsIntentAndAnUnreadableFileIsLeftAlone) {
    const AudioProject project = manualProject("a", 0.5);
    store({project});
    WidgetWindow* window = show(WidgetFamily::Small);
    const QByteArray broken = "{ broken";
    writeFile(dataFile(), broken);
    tap(window->view()->smallView()->control()->button());
    EXPECT_EQ(readFile(dataFile()), broken);
    EXPECT_TRUE(window->view()->showsEmptyState()); // redrawn from the broken file

    store({project});
    host->reloadAll();
    tap(window->view()->smallView()->control()->button());
    EXPECT_EQ(storedProject(project.id).manualProgress, 0.6);
    EXPECT_EQ(window->view()->smallView()->percentText(), QStringLiteral("60"));
}

} // namespace
} // namespace sorvel::test
