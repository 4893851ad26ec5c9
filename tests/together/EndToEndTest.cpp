#include "widget/WidgetFixture.h"

#include "app/store/ProjectStore.h"
#include "app/store/WidgetTimelines.h"
#include "support/ChildProcess.h"
#include "support/Waiting.h"
#include "widget/IntentButton.h"
#include "widget/ListView.h"
#include "widget/QuickAction.h"
#include "widget/SorvelWidgetView.h"
#include "widget/TimelineListener.h"
#include "widget/TrackRow.h"
#include "widget/WidgetHost.h"
#include "widget/WidgetWindow.h"

#include <QElapsedTimer>
#include <QProcess>

#include <iostream>
#include <string>

namespace sorvel::test {
namespace {

const char* const sharedDataHome = "SORVEL_TEST_SHARED_DATA_HOME";
const char* const tapProject = "SORVEL_TEST_TAP_PROJECT";
const QByteArray readyLine = "widget-child-ready";
const QByteArray tappedLine = "widget-child-tapped";

ProjectStore::Desktop applicationDesktop() {
    return {[] { return std::optional<QString>(); }, [](const QString&) {}, &WidgetTimelines::reloadAll};
}

// The widget program's side, run in a process of its own by the test below:
// it draws a medium widget from the shared data file, says it is ready, and
// taps the quick action of one project when told to.
TEST(WidgetChildProcess, DISABLED_TapsTheQuickActionWhenTold) {
    const QByteArray dataHome = qgetenv(sharedDataHome);
    const QUuid projectID = QUuid::fromString(qEnvironmentVariable(tapProject));
    ASSERT_FALSE(dataHome.isEmpty());
    TestEnvironment own; // settings and runtime folder of this process only
    PosixFileSystem disk;
    qputenv("XDG_DATA_HOME", dataHome);
    Settings settings(disk, own.configHome() + QStringLiteral("/sorvel.conf"));
    WidgetHost host(disk, {WidgetFamily::Medium}, RenderingMode::FullColor, settings, [](const QUrl&) {});
    host.start();
    QApplication::processEvents();
    IntentButton* button = nullptr;
    for (TrackRow* row : host.windows().first()->view()->listView()->rows()) {
        if (row->project().id == projectID)
            button = row->quickAction()->button();
    }
    ASSERT_NE(button, nullptr);
    std::cout << readyLine.constData() << std::endl;
    std::string line;
    std::getline(std::cin, line);
    tap(button);
    std::cout << tappedLine.constData() << std::endl;
}

class WidgetAndApplication : public WidgetFixture {
protected:
    // Starts the widget's side in a child process and waits until it is ready.
    void startWidgetProcess(QProcess& child, const QUuid& project) {
        QProcessEnvironment environmentOfChild = QProcessEnvironment::systemEnvironment();
        environmentOfChild.insert(QString::fromLatin1(sharedDataHome), environment.dataHome());
        environmentOfChild.insert(QString::fromLatin1(tapProject), project.toString(QUuid::WithoutBraces));
        child.setProcessEnvironment(environmentOfChild);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_also_run_disabled_tests"),
                     QStringLiteral("--gtest_filter=WidgetChildProcess.DISABLED_TapsTheQuickActionWhenTold")});
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray output;
        ASSERT_TRUE(waitUntil(
            [&] {
                output += child.readAllStandardOutput();
                return output.contains(readyLine) || child.state() == QProcess::NotRunning;
            },
            20000));
        ASSERT_TRUE(output.contains(readyLine)) << output.toStdString() << child.readAllStandardError().toStdString();
    }
};

TEST_F(WidgetAndApplication, ATapRightAfterTheApplicationSavedReachesTheApplicationAndLosesNothing) {
    const AudioProject tapped = manualProject(QStringLiteral("脚步声"), 0.3);
    const AudioProject edited = projectUpdated(QStringLiteral("春季 BGM"), 60);
    store({tapped, edited});
    ProjectStore application(disk, applicationDesktop());
    ASSERT_EQ(application.projects().size(), 2);

    QProcess widget;
    startWidgetProcess(widget, tapped.id);

    // The application saves an edit; the widget is tapped while the
    // application still takes changes of the folder for its own echo.
    bool saved = false;
    QObject::connect(&application, &ProjectStore::saveFinished, [&saved](bool ok) { saved = ok; });
    application.update(edited.id, [](AudioProject& project) { project.name = QStringLiteral("春季 BGM 终版"); });
    ASSERT_TRUE(waitUntil([&] { return saved; }, 5000));
    QElapsedTimer sinceSave;
    sinceSave.start();
    widget.write("go\n");
    ASSERT_TRUE(waitUntil([&] { return widget.state() == QProcess::NotRunning; }, 20000));
    const qint64 tapLanded = sinceSave.elapsed();
    EXPECT_EQ(widget.exitCode(), 0) << widget.readAllStandardError().toStdString();
    EXPECT_TRUE(widget.readAllStandardOutput().contains(tappedLine));
    EXPECT_LT(tapLanded, ProjectStore::echoWindowMs) << "the tap came after the echo window";

    // The application shows the widget's change, and keeps its own.
    EXPECT_TRUE(waitUntil([&] { return application.project(tapped.id)->manualProgress == 0.4; }, 5000));
    EXPECT_EQ(application.project(edited.id)->name, QStringLiteral("春季 BGM 终版"));
    EXPECT_FALSE(application.isDirty());

    // Its next save writes both.
    application.update(edited.id, [](AudioProject& project) { project.notes = QStringLiteral("混音已交"); });
    application.saveNow();
    EXPECT_EQ(storedProject(tapped.id).manualProgress, 0.4);
    EXPECT_EQ(storedProject(edited.id).name, QStringLiteral("春季 BGM 终版"));
    EXPECT_EQ(storedProject(edited.id).notes, QStringLiteral("混音已交"));
}

TEST_F(WidgetAndApplication, TheWidgetRedrawsAfterEachSaveOfTheApplication) {
    const AudioProject project = projectWithStages(QStringLiteral("春季 BGM"), {CueStage::Composing});
    store({project});
    TimelineListener listener;
    ASSERT_EQ(listener.claim({WidgetFamily::Large}), TimelineListener::Claim::Listening);
    WidgetHost widget(disk, {WidgetFamily::Large}, RenderingMode::FullColor, settings, [](const QUrl&) {});
    QObject::connect(&listener, &TimelineListener::reloadRequested, &widget, &WidgetHost::reloadAll);
    widget.start();
    ProjectStore application(disk, applicationDesktop());

    application.advanceCue(project.id, project.items[0].id);
    ASSERT_TRUE(waitUntil(
        [&] {
            const QList<TrackRow*> rows = widget.windows().first()->view()->listView()->rows();
            return !rows.isEmpty() && rows.first()->nextLine() == QStringLiteral("NEXT · 1 · 修改中");
        },
        5000));
}

// A third program (a sync tool, a script) writes the file: the application
// reads it and the widget follows, long before its own half-hour timeline ends.
TEST_F(WidgetAndApplication, TheWidgetFollowsAChangeOfAnotherProgramThatTheApplicationRead) {
    const AudioProject project = projectUpdated(QStringLiteral("春季 BGM"), 60);
    store({project});
    TimelineListener listener;
    ASSERT_EQ(listener.claim({WidgetFamily::Medium}), TimelineListener::Claim::Listening);
    WidgetHost widget(disk, {WidgetFamily::Medium}, RenderingMode::FullColor, settings, [](const QUrl&) {});
    QObject::connect(&listener, &TimelineListener::reloadRequested, &widget, &WidgetHost::reloadAll);
    widget.start();
    ProjectStore application(disk, applicationDesktop());
    ASSERT_EQ(application.projects().size(), 1);

    const AudioProject added = projectUpdated(QStringLiteral("脚步声"), 0);
    ASSERT_EQ(runInChild([&] {
                  return Storage::mutate(disk,
                                         [&](Library& library) {
                                             library.projects.first().name = QStringLiteral("春季 BGM 终版");
                                             library.projects.append(added);
                                         })
                      ? 0
                      : 1;
              }),
              0);
    ASSERT_TRUE(waitUntil([&] { return application.projects().size() == 2; }, 5000));
    ASSERT_TRUE(waitUntil(
        [&] {
            const QList<TrackRow*> rows = widget.windows().first()->view()->listView()->rows();
            return rows.size() == 2 && rows.at(0)->project().name == added.name
                && rows.at(1)->project().name == QStringLiteral("春季 BGM 终版");
        },
        5000));
}

// The widget drew the file while the application was closed, and a script
// changed it meanwhile: what the application reads at its start reaches every
// size of the widget, not only the application's own shelf.
TEST_F(WidgetAndApplication, EveryWidgetSizeFollowsWhatTheApplicationReadsAtItsStart) {
    const AudioProject project = projectUpdated(QStringLiteral("春季 BGM"), 60);
    store({project});
    const QList<WidgetFamily> families{WidgetFamily::Small, WidgetFamily::Medium, WidgetFamily::Large};
    TimelineListener listener;
    ASSERT_EQ(listener.claim(families), TimelineListener::Claim::Listening);
    WidgetHost widget(disk, families, RenderingMode::FullColor, settings, [](const QUrl&) {});
    QObject::connect(&listener, &TimelineListener::reloadRequested, &widget, &WidgetHost::reloadAll);
    widget.start();
    ASSERT_EQ(widget.windows().size(), 3);

    const AudioProject added = projectUpdated(QStringLiteral("脚步声"), 0);
    ASSERT_EQ(runInChild([&] {
                  return Storage::mutate(disk, [&](Library& library) { library.projects.append(added); }) ? 0 : 1;
              }),
              0);
    const ProjectStore application(disk, applicationDesktop());
    ASSERT_EQ(application.projects().size(), 2);
    ASSERT_TRUE(waitUntil(
        [&] {
            const QList<WidgetWindow*> windows = widget.windows();
            return std::all_of(windows.cbegin(), windows.cend(), [&](WidgetWindow* window) {
                const QList<AudioProject>& shown = window->view()->entry().projects;
                return shown.size() == 2 && std::any_of(shown.cbegin(), shown.cend(), [&](const AudioProject& p) {
                           return p.id == added.id;
                       });
            });
        },
        5000));
}

} // namespace
} // namespace sorvel::test
