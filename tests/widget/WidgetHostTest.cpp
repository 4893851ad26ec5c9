#include "WidgetFixture.h"

#include "core/WidgetChannel.h"
#include "instance/LocalInstance.h"
#include "support/ChildProcess.h"
#include "support/FolderHolder.h"
#include "support/Waiting.h"
#include "widget/IntentButton.h"
#include "widget/ListView.h"
#include "widget/QuickAction.h"
#include "widget/SorvelWidgetView.h"
#include "widget/TimelineListener.h"
#include "widget/TrackRow.h"
#include "widget/WidgetHost.h"
#include "widget/WidgetNotice.h"
#include "widget/WidgetOptions.h"
#include "widget/WidgetWindow.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <chrono>
#include <future>

namespace sorvel::test {
namespace {

WidgetOptions parsed(const QStringList& arguments) {
    QCommandLineParser parser;
    WidgetOptions::describe(parser);
    EXPECT_TRUE(parser.parse(QStringList{QStringLiteral("sorvel-widget")} + arguments))
        << parser.errorText().toStdString();
    return WidgetOptions::from(parser);
}

TEST(WidgetOptions, OneWindowPerChosenFamilyAndFullColourByDefault) {
    const WidgetOptions some = parsed({"--large", "--small"});
    EXPECT_EQ(some.families, (QList<WidgetFamily>{WidgetFamily::Small, WidgetFamily::Large}));
    EXPECT_EQ(some.mode, RenderingMode::FullColor);
    EXPECT_EQ(parsed({}).families, QList<WidgetFamily>{WidgetFamily::Medium});
    EXPECT_EQ(parsed({"--medium", "--accented"}).mode, RenderingMode::Accented);
}

using WidgetHostTest = WidgetFixture;

TEST_F(WidgetHostTest, WindowsAreFramelessBelowAndOfTheirFamilySize) {
    WidgetHost host(disk, WidgetFamilies::all(), RenderingMode::FullColor, settings, [](const QUrl&) {});
    ASSERT_EQ(host.windows().size(), 3);
    for (WidgetWindow* window : host.windows()) {
        const Qt::WindowFlags flags = window->windowFlags();
        EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
        EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnBottomHint));
        EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool); // not in the taskbar
        EXPECT_EQ(window->size(), WidgetFamilies::size(window->family()));
    }
    EXPECT_EQ(WidgetFamilies::size(WidgetFamily::Small), QSize(170, 170));
    EXPECT_EQ(WidgetFamilies::size(WidgetFamily::Medium), QSize(364, 170));
    EXPECT_EQ(WidgetFamilies::size(WidgetFamily::Large), QSize(364, 382));
}

// The user drags `window` by its face until its top left corner is at `to`:
// a press, a movement with the button held, a release. The pointer's events
// tell where the window really is: `reallyAt`, else where the toolkit has it.
void drag(WidgetWindow* window, const QPoint& to, std::optional<QPoint> reallyAt = std::nullopt) {
    QWidget* face = window->view();
    const QPointF from(face->rect().center());
    const QPointF onScreen = QPointF(reallyAt.value_or(window->pos()) + face->mapTo(window, QPoint())) + from;
    const QPointF by(to - reallyAt.value_or(window->pos()));
    QMouseEvent press(QEvent::MouseButtonPress, from, onScreen, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(face, &press);
    QMouseEvent move(QEvent::MouseMove, from + by, onScreen + by, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(face, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, from + by, onScreen + by, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(face, &release);
}

TEST_F(WidgetHostTest, ADraggedWindowComesBackThereAtTheNextStart) {
    {
        WidgetHost host(disk, {WidgetFamily::Large}, RenderingMode::FullColor, settings, [](const QUrl&) {});
        host.start();
        WidgetWindow* window = host.windows().first();
        drag(window, QPoint(40, 60));
        ASSERT_EQ(window->pos(), QPoint(40, 60));
        QApplication::processEvents();
        window->close(); // closing writes a position that is still pending
    }
    EXPECT_EQ(settings.value(WidgetWindow::positionKey(WidgetFamily::Large)).toPoint(), QPoint(40, 60));
    WidgetHost again(disk, {WidgetFamily::Large}, RenderingMode::FullColor, settings, [](const QUrl&) {});
    again.start();
    EXPECT_EQ(again.windows().first()->pos(), QPoint(40, 60));
}

// While it maps a window, the window system may report it at 0,0 before it
// has placed it. A widget nobody dragged remembers no place, and the next
// start puts it where a first start would; a drag moves it from where it
// really is, and that place is remembered.
TEST_F(WidgetHostTest, OnlyAPlaceTheWidgetReallyHasIsRemembered) {
    QPoint firstPlace;
    {
        WidgetHost host(disk, {WidgetFamily::Large}, RenderingMode::FullColor, settings, [](const QUrl&) {});
        host.start();
        WidgetWindow* window = host.windows().first();
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }, 2000));
        firstPlace = window->pos();
        ASSERT_NE(firstPlace, QPoint(0, 0));
        window->move(0, 0);
        QApplication::processEvents();
        window->close(); // a position still pending would be written now
    }
    EXPECT_FALSE(settings.contains(WidgetWindow::positionKey(WidgetFamily::Large)));

    WidgetHost again(disk, {WidgetFamily::Large}, RenderingMode::FullColor, settings, [](const QUrl&) {});
    again.start();
    WidgetWindow* window = again.windows().first();
    EXPECT_EQ(window->pos(), firstPlace);
    window->move(0, 0); // as reported while mapping; the window stays at its first place
    QApplication::processEvents();
    const QPoint dropped = firstPlace + QPoint(-50, 30);
    drag(window, dropped, firstPlace);
    EXPECT_EQ(window->pos(), dropped);
    QApplication::processEvents();
    window->close();
    EXPECT_EQ(settings.value(WidgetWindow::positionKey(WidgetFamily::Large)).toPoint(), dropped);
}

// No two rectangles of `places` × `sizes` overlap and all lie inside `area`.
void expectApartInside(const QList<QPoint>& places, const QList<QSize>& sizes, const QRect& area) {
    ASSERT_EQ(places.size(), sizes.size());
    for (qsizetype i = 0; i < places.size(); ++i) {
        const QRect frame(places[i], sizes[i]);
        EXPECT_TRUE(area.contains(frame)) << i;
        for (qsizetype j = i + 1; j < places.size(); ++j)
            EXPECT_FALSE(frame.intersects(QRect(places[j], sizes[j]))) << i << " " << j;
    }
}

// Windows of `sizes` that take free places in `area` one after the other.
QList<QPoint> placedInTurn(const QList<QSize>& sizes, const QRect& area, QList<QRect> taken = {}) {
    QList<QPoint> places;
    for (const QSize& size : sizes) {
        const std::optional<QPoint> place = WidgetHost::freePlace(size, area, taken);
        EXPECT_TRUE(place) << "no room for the window " << places.size();
        places.append(place.value_or(QPoint()));
        taken.append(QRect(places.last(), size));
    }
    return places;
}

TEST_F(WidgetHostTest, FirstPlacesStayOnALowScreenAndApart) {
    const QList<QSize> all{WidgetFamilies::size(WidgetFamily::Small), WidgetFamilies::size(WidgetFamily::Medium),
                           WidgetFamilies::size(WidgetFamily::Large)};
    // A 1366 × 768 laptop with a 32-pixel panel: the three do not fit in one column.
    const QRect laptop(0, 0, 1366, 736);
    const QList<QPoint> places = placedInTurn(all, laptop);
    expectApartInside(places, all, laptop);
    EXPECT_EQ(places[0], QPoint(1366 - 24 - 170, 24));
    EXPECT_EQ(places[1], QPoint(1366 - 24 - 364, 24 + 170 + 24));
    EXPECT_EQ(places[2].y(), 24); // top of the next column
    // A lone large widget starts at the top, not where it would sit below the others.
    EXPECT_EQ(WidgetHost::freePlace(all[2], laptop, {}), QPoint(1366 - 24 - 364, 24));

    WidgetHost host(disk, WidgetFamilies::all(), RenderingMode::FullColor, settings, [](const QUrl&) {});
    host.start();
    QList<QPoint> shown;
    QList<QSize> sizes;
    for (const WidgetWindow* window : host.windows()) {
        shown.append(window->pos());
        sizes.append(window->size());
    }
    expectApartInside(shown, sizes, QGuiApplication::primaryScreen()->availableGeometry());
}

// A widget left somewhere keeps its place; one without a place of its own
// takes one where no other widget is, and none when the screen is full.
TEST_F(WidgetHostTest, AWidgetWithoutAPlaceTakesOneNoOtherWidgetCovers) {
    const QSize small = WidgetFamilies::size(WidgetFamily::Small);
    const QSize medium = WidgetFamilies::size(WidgetFamily::Medium);
    const QSize large = WidgetFamilies::size(WidgetFamily::Large);
    const QRect screen(0, 0, 1600, 900);
    const QRect smallLeft(QPoint(1386, 674), small);
    const QList<QPoint> places = placedInTurn({medium, large}, screen, {smallLeft});
    expectApartInside(places + QList<QPoint>{smallLeft.topLeft()}, {medium, large, small}, screen);
    EXPECT_EQ(places[0], QPoint(1600 - 24 - 364, 24)); // the top right corner is free
    // Full: nowhere a window fits with its gaps.
    EXPECT_EQ(WidgetHost::freePlace(large, QRect(0, 0, 400, 400), {QRect(24, 24, 10, 10)}), std::nullopt);

    // The same on screen, whatever size this one has: the small widget was
    // left where the medium one would go first.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint left(area.right() + 1 - 24 - 364 + 40, area.top() + 24 + 170 + 24 + 20);
    settings.setValue(WidgetWindow::positionKey(WidgetFamily::Small), left);
    WidgetHost host(disk, WidgetFamilies::all(), RenderingMode::FullColor, settings, [](const QUrl&) {});
    host.start();
    const auto expectApartOnScreen = [&] {
        QList<QPoint> shown;
        QList<QSize> sizes;
        for (const WidgetWindow* window : host.windows()) {
            shown.append(window->pos());
            sizes.append(window->size());
            if (window->family() == WidgetFamily::Small) {
                EXPECT_EQ(window->pos(), left);
            }
        }
        expectApartInside(shown, sizes, area);
    };
    expectApartOnScreen();

    // A later start adds a window beside those shown.
    host.windows().at(1)->close();
    ASSERT_TRUE(waitUntil([&] { return host.windows().size() == 2; }, 2000));
    host.show({WidgetFamily::Medium}, RenderingMode::FullColor);
    ASSERT_EQ(host.windows().size(), 3);
    expectApartOnScreen();
}

TEST_F(WidgetHostTest, ClosingTheLastWidgetEndsTheProgram) {
    WidgetHost host(disk, {WidgetFamily::Small, WidgetFamily::Large}, RenderingMode::FullColor, settings,
                    [](const QUrl&) {});
    host.start();
    int ended = 0;
    QObject::connect(&host, &WidgetHost::allClosed, [&ended] { ++ended; });
    host.windows().first()->close();
    ASSERT_TRUE(waitForQueuedEvents());
    EXPECT_EQ(host.windows().size(), 1);
    EXPECT_EQ(ended, 0);
    host.windows().first()->close();
    EXPECT_TRUE(waitUntil([&] { return ended == 1; }, 2000));
    EXPECT_TRUE(host.windows().isEmpty());
}

TEST(WidgetWindowPlace, ARememberedPlaceOffEveryScreenFallsBack) {
    const QList<QRect> screens{QRect(0, 0, 1440, 900), QRect(1440, 0, 1920, 1080)};
    const QSize size(364, 170);
    EXPECT_EQ(WidgetWindow::startPosition(QPoint(1500, 200), size, screens), QPoint(1500, 200));
    // Mostly on the second screen, partly below the first: moved inside the second.
    EXPECT_EQ(WidgetWindow::startPosition(QPoint(1300, 800), size, screens), QPoint(1440, 800));
    EXPECT_EQ(WidgetWindow::startPosition(QPoint(5000, 200), size, screens), std::nullopt); // screen gone
    EXPECT_EQ(WidgetWindow::startPosition(QPoint(-300, 10), size, screens), std::nullopt); // mostly off
    EXPECT_EQ(WidgetWindow::startPosition(QVariant(), size, screens), std::nullopt);
    EXPECT_EQ(WidgetWindow::startPosition(QStringLiteral("garbage"), size, screens), std::nullopt);
}

TEST(WidgetWindowPlace, APlacePartlyOffEveryScreenIsMovedInsideTheOneHoldingMostOfIt) {
    const QList<QRect> screens{QRect(0, 0, 1440, 900), QRect(1440, 0, 1920, 1080)};
    const QSize medium(364, 170);
    const auto kept = [&](const QPoint& at) { return WidgetWindow::keptInside(QRect(at, medium), screens); };
    EXPECT_EQ(kept(QPoint(-327, 40)), QPoint(0, 40));
    EXPECT_EQ(kept(QPoint(1000, 800)), QPoint(1000, 730)); // below the first screen
    EXPECT_EQ(kept(QPoint(3200, -20)), QPoint(3360 - 364, 0)); // past the second screen's corner
    EXPECT_EQ(kept(QPoint(1300, 100)), QPoint(1300, 100)); // across both screens, all of it seen
    EXPECT_EQ(kept(QPoint(9000, 9000)), QPoint(9000, 9000)); // on no screen: for the caller to place
    // Larger than its screen: the top left corner stays on it.
    EXPECT_EQ(WidgetWindow::keptInside(QRect(-50, -50, 500, 400), {QRect(0, 0, 320, 240)}), QPoint(0, 0));
    // A remembered place on a screen that is gone, partly on the one left.
    EXPECT_EQ(WidgetWindow::startPosition(QPoint(1200, 200), medium, {screens.first()}), QPoint(1440 - 364, 200));
}

// However a drag ends partly off the screens (by the widget itself or by the
// window manager), the widget comes back inside and is remembered there.
TEST_F(WidgetHostTest, AWidgetDroppedPartlyOffTheScreensComesBackInside) {
    WidgetHost host(disk, {WidgetFamily::Medium}, RenderingMode::FullColor, settings, [](const QUrl&) {});
    host.start();
    WidgetWindow* window = host.windows().first();
    ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }, 2000));
    const QRect screen = window->screen()->availableGeometry();
    drag(window, QPoint(screen.left() - 327, screen.top() + 40));
    ASSERT_TRUE(waitUntil([&] { return screen.contains(window->frameGeometry()); }, 5000))
        << window->pos().x() << "," << window->pos().y();
    EXPECT_EQ(window->pos(), QPoint(screen.left(), screen.top() + 40));
    ASSERT_TRUE(waitUntil(
        [&] { return settings.value(WidgetWindow::positionKey(WidgetFamily::Medium)).toPoint() == window->pos(); },
        5000));
}

TEST_F(WidgetHostTest, TheTimelineExpiresHalfAnHourLater) {
    WidgetHost host(disk, {WidgetFamily::Medium}, RenderingMode::FullColor, settings, [](const QUrl&) {});
    host.start();
    EXPECT_GT(host.msUntilReload(), 1795 * 1000);
    EXPECT_LE(host.msUntilReload(), 1800 * 1000);
}

TEST_F(WidgetHostTest, TapsOpenLinksThroughTheDesktop) {
    const AudioProject project = projectUpdated(QStringLiteral("a"), 0);
    store({project});
    QList<QUrl> opened;
    WidgetHost host(disk, {WidgetFamily::Small}, RenderingMode::FullColor, settings,
                    [&opened](const QUrl& link) { opened.append(link); });
    host.start();
    tap(host.windows().first()->view());
    EXPECT_EQ(opened, QList<QUrl>{project.deepLink()});
}

TEST_F(WidgetHostTest, ADamagedDataFileIsNotShownAsAnEmptyShelf) {
    ASSERT_TRUE(QDir().mkpath(environment.dataFolder()));
    QFile file(dataFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"projects": [ {"name": 5} ]})");
    file.close();
    QList<QUrl> opened;
    WidgetHost host(disk, {WidgetFamily::Medium}, RenderingMode::FullColor, settings,
                    [&opened](const QUrl& link) { opened.append(link); });
    host.start();
    SorvelWidgetView* view = host.windows().first()->view();
    ASSERT_TRUE(view->showsEmptyState());
    EXPECT_EQ(view->emptyStateLines(),
              (QStringList{QStringLiteral("无法读取数据文件"), QStringLiteral("点一下打开 Sorvel 查看")}));
    // A tap opens the application, which tells what became of the file, rather than a new project.
    tap(view);
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("sorvel://main"))});

    // Once the file reads again, an empty shelf says so.
    store({});
    host.reloadAll();
    EXPECT_EQ(view->emptyStateLines(), QStringList{QStringLiteral("架子上还没有磁带")});
    opened.clear();
    tap(view);
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("sorvel://new"))});
}

TEST_F(WidgetHostTest, ButtonsShowTheirHelpOnHoverThoughTheWidgetIsNeverActive) {
    store({projectWithStages(QStringLiteral("a"), {CueStage::Mixed})});
    WidgetHost host(disk, {WidgetFamily::Medium}, RenderingMode::FullColor, settings, [](const QUrl&) {});
    host.start();
    WidgetWindow* window = host.windows().first();
    ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }, 2000));
    // The keyboard stays with another window, as it does on a desktop.
    QWidget other;
    other.setGeometry(0, 0, 200, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return other.isActiveWindow(); }, 2000));
    ASSERT_FALSE(window->isActiveWindow());
    IntentButton* button = window->view()->listView()->rows().first()->quickAction()->button();
    ASSERT_FALSE(button->toolTip().isEmpty());
    QTest::mouseMove(button, button->rect().center());
    QTest::mouseMove(button, button->rect().center() + QPoint(1, 0));
    EXPECT_TRUE(waitUntil([] { return QToolTip::isVisible(); }, 4000));
    EXPECT_EQ(QToolTip::text(), button->toolTip());
    QToolTip::hideText();
}

// While another program holds the data folder, a tap waits a bounded time
// and changes nothing, and every window says that the folder is busy; the
// windows go on answering meanwhile, and a read keeps what they show. Once
// the folder is free a tap works again.
TEST_F(WidgetHostTest, ATapOnABusyFolderChangesNothingAndSaysSo) {
    constexpr int longestHoldMs = 4 * FolderLock::usualPatienceMs;
    const AudioProject manual = manualProject(QStringLiteral("manual"), 0.3);
    store({manual});
    WidgetHost host(disk, {WidgetFamily::Small, WidgetFamily::Medium}, RenderingMode::FullColor, settings,
                    [](const QUrl&) {});
    host.start();
    WidgetWindow* medium = host.windows().last();
    ASSERT_EQ(medium->view()->entry().projects.size(), 1);
    const auto button = [&] { return medium->view()->listView()->rows().first()->quickAction()->button(); };

    {
        FolderHolder holder(environment.dataFolder(), longestHoldMs);
        holder.takeTheFolder();
        ASSERT_TRUE(holder.isHolding());
        bool answered = false;
        QTimer::singleShot(0, &host, [&] { answered = true; });
        button()->click();
        EXPECT_FALSE(holder.hasEnded()) << "the tap waited for the other program to let go";
        EXPECT_TRUE(answered) << "the window stopped answering while the tap waited";
        for (WidgetWindow* window : host.windows())
            EXPECT_EQ(window->view()->notice(), WidgetHost::folderBusyText());

        const int reloads = host.reloadCount();
        host.reloadAll();
        EXPECT_FALSE(holder.hasEnded()) << "the read waited for the other program to let go";
        EXPECT_EQ(host.reloadCount(), reloads + 1);
        EXPECT_EQ(medium->view()->entry().projects.size(), 1) << "a busy folder is no empty shelf";
    }
    EXPECT_DOUBLE_EQ(storedProject(manual.id).manualProgress, 0.3);

    button()->click();
    EXPECT_DOUBLE_EQ(storedProject(manual.id).manualProgress, 0.4);
    ASSERT_TRUE(waitUntil([&] { return medium->view()->notice().isEmpty(); }, 2 * WidgetNotice::shownMs));
}

TEST_F(WidgetHostTest, ASecondWidgetProgramFindsTheFirstAndALeftoverSocketIsReplaced) {
    // What a widget program that ended without cleaning up leaves behind.
    writeFile(WidgetChannel::socketPath(), "");
    TimelineListener first;
    ASSERT_EQ(first.claim({WidgetFamily::Medium}), TimelineListener::Claim::Listening);
    EXPECT_EQ(claimFromAnotherStart({WidgetFamily::Small}), TimelineListener::Claim::HandedOver);
}

} // namespace
} // namespace sorvel::test

namespace sorvel::test {
namespace {

TEST_F(WidgetHostTest, ALaterStartHandsItsSizesToTheRunningProgram) {
    store({projectUpdated(QStringLiteral("a"), 0)});
    TimelineListener listener;
    ASSERT_EQ(listener.claim({WidgetFamily::Medium}), TimelineListener::Claim::Listening);
    WidgetHost host(disk, {WidgetFamily::Medium}, RenderingMode::FullColor, settings, [](const QUrl&) {});
    QObject::connect(&listener, &TimelineListener::familiesRequested, &host, &WidgetHost::show);
    host.start();

    ASSERT_EQ(claimFromAnotherStart({WidgetFamily::Large, WidgetFamily::Medium}, RenderingMode::Accented),
              TimelineListener::Claim::HandedOver);
    ASSERT_TRUE(waitUntil([&] { return host.windows().size() == 2; }, 5000));
    WidgetWindow* large = host.windows().last();
    EXPECT_EQ(large->family(), WidgetFamily::Large);
    EXPECT_TRUE(large->isVisible());
    ASSERT_EQ(large->view()->entry().projects.size(), 1); // drawn from the current timeline at once
    EXPECT_EQ(large->view()->mode(), RenderingMode::Accented); // in the look that start asked for
    ASSERT_TRUE(waitForQueuedEvents());
    EXPECT_EQ(host.windows().size(), 2); // the medium one was open already
    // ... and takes the look that start named, like the new one.
    EXPECT_EQ(host.windows().first()->view()->mode(), RenderingMode::Accented);
}

// The widget missed a change (nobody told it, or it was not listening): starting
// it again is how a user asks it to look, for the sizes shown and those added.
TEST_F(WidgetHostTest, ALaterStartRedrawsEveryWindowFromTheFileAsItIsNow) {
    store({projectUpdated(QStringLiteral("a"), 0)});
    TimelineListener listener;
    ASSERT_EQ(listener.claim({WidgetFamily::Medium}), TimelineListener::Claim::Listening);
    WidgetHost host(disk, {WidgetFamily::Medium}, RenderingMode::FullColor, settings, [](const QUrl&) {});
    QObject::connect(&listener, &TimelineListener::familiesRequested, &host, &WidgetHost::show);
    host.start();
    ASSERT_EQ(host.windows().first()->view()->entry().projects.size(), 1);

    store({projectUpdated(QStringLiteral("b"), 0), projectUpdated(QStringLiteral("a"), 10)});
    ASSERT_EQ(claimFromAnotherStart({WidgetFamily::Medium, WidgetFamily::Small}), TimelineListener::Claim::HandedOver);
    ASSERT_TRUE(waitUntil([&] { return host.windows().size() == 2; }, 5000));
    for (WidgetWindow* window : host.windows()) {
        SCOPED_TRACE(WidgetFamilies::name(window->family()).toStdString());
        const QList<AudioProject> shown = window->view()->entry().projects;
        ASSERT_EQ(shown.size(), 2);
        EXPECT_EQ(shown.first().name, QStringLiteral("b"));
    }
}

// `sorvel-widget --accented` beside a running plain medium widget: nothing new
// to add, but the look it names; a plain start then brings the full colour back.
TEST_F(WidgetHostTest, ALaterStartSwitchesTheLookOfTheSizesItNames) {
    store({projectUpdated(QStringLiteral("a"), 0), projectUpdated(QStringLiteral("b"), 10)});
    TimelineListener listener;
    ASSERT_EQ(listener.claim({WidgetFamily::Medium, WidgetFamily::Small}), TimelineListener::Claim::Listening);
    WidgetHost host(disk, {WidgetFamily::Medium, WidgetFamily::Small}, RenderingMode::FullColor, settings,
                    [](const QUrl&) {});
    QObject::connect(&listener, &TimelineListener::familiesRequested, &host, &WidgetHost::show);
    host.start();
    WidgetWindow* medium = host.windows().first();
    WidgetWindow* small = host.windows().last();
    ASSERT_EQ(medium->family(), WidgetFamily::Medium);
    const QList<TrackRow*> before = medium->view()->listView()->rows();

    ASSERT_EQ(claimFromAnotherStart({WidgetFamily::Medium}, RenderingMode::Accented),
              TimelineListener::Claim::HandedOver);
    ASSERT_TRUE(waitUntil([&] { return medium->view()->mode() == RenderingMode::Accented; }, 5000));
    EXPECT_EQ(host.windows(), (QList<WidgetWindow*>{medium, small}));
    EXPECT_EQ(small->view()->mode(), RenderingMode::FullColor) << "a size the start did not name stays as it is";
    ASSERT_NE(medium->view()->listView(), nullptr);
    EXPECT_EQ(medium->view()->listView()->rows().size(), 2);
    EXPECT_NE(medium->view()->listView()->rows(), before) << "the face is drawn anew in the new look";

    ASSERT_EQ(claimFromAnotherStart({WidgetFamily::Medium}), TimelineListener::Claim::HandedOver);
    ASSERT_TRUE(waitUntil([&] { return medium->view()->mode() == RenderingMode::FullColor; }, 5000));
    EXPECT_EQ(host.windows().size(), 2);
}

TEST_F(WidgetHostTest, AShowRequestNamesOnlyKnownSizes) {
    TimelineListener listener;
    ASSERT_EQ(listener.claim({WidgetFamily::Medium}), TimelineListener::Claim::Listening);
    QList<QList<WidgetFamily>> requests;
    QObject::connect(&listener, &TimelineListener::familiesRequested,
                     [&requests](const QList<WidgetFamily>& families) { requests.append(families); });
    EXPECT_EQ(TimelineListener::showMessage({WidgetFamily::Small, WidgetFamily::Large}),
              QByteArray("show-families small,large\n"));
    EXPECT_EQ(TimelineListener::showMessage({WidgetFamily::Medium}, RenderingMode::Accented),
              QByteArray("show-families medium accented\n"));
    QLocalSocket other;
    other.connectToServer(WidgetChannel::socketPath());
    ASSERT_TRUE(other.waitForConnected(2000));
    other.write(LocalInstance::frame("show-families huge,../../x,small\n"));
    other.flush();
    QLocalSocket empty;
    empty.connectToServer(WidgetChannel::socketPath());
    ASSERT_TRUE(empty.waitForConnected(2000));
    empty.write(LocalInstance::frame("show-families\n"));
    empty.flush();
    ASSERT_TRUE(waitUntil([&] { return !requests.isEmpty(); }, 5000));
    // Both messages are handled once the listener has let both go.
    ASSERT_TRUE(waitUntil(
        [&] {
            return other.state() == QLocalSocket::UnconnectedState && empty.state() == QLocalSocket::UnconnectedState;
        },
        5000));
    EXPECT_EQ(requests, QList<QList<WidgetFamily>>{{WidgetFamily::Small}});
}

TEST(WidgetHandOver, NobodyListeningMeansThisStartListens) {
    TestEnvironment environment;
    TimelineListener listener;
    EXPECT_EQ(listener.claim({WidgetFamily::Small}), TimelineListener::Claim::Listening);
    EXPECT_TRUE(listener.isListening());
}

// The running program's lock, not its socket, tells whether it lives.
TEST_F(WidgetHostTest, AStartNeverListensASecondTimeWhileTheFirstRuns) {
    TimelineListener first;
    ASSERT_EQ(first.claim({WidgetFamily::Medium}), TimelineListener::Claim::Listening);
    ASSERT_TRUE(QFile::remove(WidgetChannel::socketPath())); // the socket is lost, the program runs on
    EXPECT_EQ(claimFromAnotherStart({WidgetFamily::Small}), TimelineListener::Claim::Unanswered);
    EXPECT_FALSE(QFileInfo::exists(WidgetChannel::socketPath()));
}

} // namespace
} // namespace sorvel::test
