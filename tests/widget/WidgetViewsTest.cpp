#include "WidgetFixture.h"

#include "studio/PaintProbe.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "support/Waiting.h"
#include "widget/FittedText.h"
#include "widget/IntentButton.h"
#include "widget/ListView.h"
#include "widget/NextStepControl.h"
#include "widget/QuickAction.h"
#include "widget/SampleData.h"
#include "widget/SmallView.h"
#include "widget/SorvelWidgetView.h"
#include "widget/TrackRow.h"
#include "widget/WidgetHost.h"
#include "widget/WidgetLook.h"
#include "widget/WidgetNotice.h"

#include <limits>
#include <memory>

namespace sorvel::test {
namespace {

QList<AudioProject> manyProjects(int count) {
    QList<AudioProject> projects;
    for (int i = 0; i < count; ++i)
        projects.append(projectUpdated(QStringLiteral("P%1").arg(i + 1), i));
    return projects;
}

// A widget face as the host shows it, laid out at its family's size.
std::unique_ptr<SorvelWidgetView> face(WidgetFamily family, const QList<AudioProject>& projects,
                                       RenderingMode mode = RenderingMode::FullColor) {
    movePointerAway();
    auto view = std::make_unique<SorvelWidgetView>(family, mode);
    view->setEntry({QDateTime::currentDateTimeUtc(), projects, projects.size()});
    view->resize(WidgetFamilies::size(family));
    view->show();
    QApplication::processEvents();
    return view;
}

QStringList rowNames(const ListView* list) {
    QStringList names;
    for (const TrackRow* row : list->rows())
        names.append(row->project().name);
    return names;
}

// What a face asked for: the links to open and the intents to perform.
struct Requests {
    QList<QUrl> links;
    QList<WidgetIntent> intents;
    explicit Requests(SorvelWidgetView* view) {
        QObject::connect(view, &SorvelWidgetView::linkRequested, [this](const QUrl& link) { links.append(link); });
        QObject::connect(view, &SorvelWidgetView::intentRequested,
                         [this](const WidgetIntent& intent) { intents.append(intent); });
    }
};

// The colour at a point of what the widget draws.
QColor pixel(QWidget* widget, const QPoint& at) {
    return widget->grab().toImage().pixelColor(at);
}

TEST(WidgetFace, MediumShowsThreeRowsAndLargeFiveWithTheWholeCount) {
    const QList<AudioProject> seven = manyProjects(7);
    const auto medium = face(WidgetFamily::Medium, seven);
    ASSERT_NE(medium->listView(), nullptr);
    EXPECT_EQ(rowNames(medium->listView()), (QStringList{"P1", "P2", "P3"}));
    EXPECT_EQ(ListView::countText(medium->listView()->total()), QStringLiteral("07 TAPES"));
    for (const TrackRow* row : medium->listView()->rows()) {
        EXPECT_FALSE(row->showsNext());
        EXPECT_TRUE(row->nextLine().isEmpty());
        EXPECT_EQ(row->waveformHeight(), 9);
    }

    const auto large = face(WidgetFamily::Large, seven);
    EXPECT_EQ(rowNames(large->listView()), (QStringList{"P1", "P2", "P3", "P4", "P5"}));
    EXPECT_EQ(large->listView()->total(), 7);
    EXPECT_EQ(large->listView()->rows().first()->waveformHeight(), 12);

    // Every row lies inside the widget, under the header.
    for (const TrackRow* row : large->listView()->rows()) {
        const QRect inFace(row->mapTo(large.get(), QPoint(0, 0)), row->size());
        EXPECT_TRUE(large->rect().contains(inFace)) << row->project().name.toStdString();
        EXPECT_GE(row->y(), ListView::headerHeight());
    }
}

TEST(WidgetFace, TheTapeCountIsNeverCut) {
    EXPECT_EQ(ListView::countText(1), QStringLiteral("01 TAPES"));
    EXPECT_EQ(ListView::countText(0), QStringLiteral("00 TAPES"));
    EXPECT_EQ(ListView::countText(120), QStringLiteral("120 TAPES"));
    const auto large = face(WidgetFamily::Large, manyProjects(120));
    EXPECT_EQ(large->listView()->total(), 120);
    EXPECT_EQ(large->listView()->rows().size(), 5);

    // An entry carries only the rows any widget shows; the count is of every active project.
    SorvelWidgetView rowsOnly(WidgetFamily::Large, RenderingMode::FullColor);
    rowsOnly.setEntry({QDateTime::currentDateTimeUtc(), manyProjects(5), 120});
    ASSERT_NE(rowsOnly.listView(), nullptr);
    EXPECT_EQ(rowsOnly.listView()->total(), 120);
    EXPECT_EQ(rowsOnly.listView()->rows().size(), 5);
}

TEST(WidgetFace, OneProjectStaysAtTheTop) {
    const auto medium = face(WidgetFamily::Medium, manyProjects(1));
    ASSERT_EQ(medium->listView()->rows().size(), 1);
    EXPECT_LT(medium->listView()->rows().first()->geometry().bottom(), medium->listView()->height() / 2);
}

TEST(WidgetFace, AnEmptyShelfShowsTheEmptyStateInEveryFamilyAndOpensTheNewProjectLink) {
    for (const WidgetFamily family : WidgetFamilies::all()) {
        const auto view = face(family, {});
        EXPECT_TRUE(view->showsEmptyState());
        EXPECT_EQ(view->smallView(), nullptr);
        EXPECT_EQ(view->listView(), nullptr);
        Requests asked(view.get());
        tap(view.get());
        ASSERT_EQ(asked.links.size(), 1);
        EXPECT_EQ(asked.links.first(), QUrl(QStringLiteral("sorvel://new")));
    }
}

TEST(WidgetFace, SmallShowsTheFirstProjectAndATapOpensIt) {
    AudioProject focused = projectWithStages(QStringLiteral("焦点"), {CueStage::Composing});
    const auto small = face(WidgetFamily::Small, {focused, projectUpdated(QStringLiteral("other"), 0)});
    ASSERT_NE(small->smallView(), nullptr);
    EXPECT_EQ(small->smallView()->project().id, focused.id);

    Requests asked(small.get());

    tap(small->smallView(), QPoint(10, 10)); // on the label card
    ASSERT_EQ(asked.links.size(), 1);
    EXPECT_EQ(asked.links.first(), focused.deepLink());
    EXPECT_EQ(asked.intents.size(), 0);

    // The control takes its own taps: an intent, no link.
    IntentButton* button = small->smallView()->control()->button();
    ASSERT_NE(button, nullptr);
    tap(button);
    EXPECT_EQ(asked.links.size(), 1);
    EXPECT_EQ(asked.intents.size(), 1);
}

TEST(WidgetFace, ADragMovesTheWindowInsteadOfOpeningTheLink) {
    const auto view = face(WidgetFamily::Small, {projectUpdated(QStringLiteral("a"), 0)});
    view->move(100, 100);
    Requests asked(view.get());
    const QPointF start(20, 20);
    const QPointF end(80, 60);
    QMouseEvent press(QEvent::MouseButtonPress, start, view->mapToGlobal(start), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view.get(), &press);
    QMouseEvent move(QEvent::MouseMove, end, view->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, end, view->mapToGlobal(end), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(view.get(), &release);
    EXPECT_EQ(asked.links.size(), 0);
    EXPECT_EQ(view->pos(), QPoint(160, 140));
}

TEST(WidgetFace, AWindowManagerDragStartsWithTheGrabPointUnderThePointer) {
    const auto view = face(WidgetFamily::Small, {projectUpdated(QStringLiteral("a"), 0)});
    view->move(100, 100);
    Requests asked(view.get());
    int handedOver = 0;
    QPoint handedAt;
    const LinkSurface::SystemMove original = LinkSurface::systemMove();
    LinkSurface::systemMove() = [&](QWindow*) {
        ++handedOver;
        handedAt = view->pos();
        return true;
    };
    const QPointF start(20, 20);
    const QPointF first = start + QPointF(QApplication::startDragDistance() + 3, 2);
    QMouseEvent press(QEvent::MouseButtonPress, start, view->mapToGlobal(start), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view.get(), &press);
    const QPointF firstGlobal = view->mapToGlobal(first);
    QMouseEvent move(QEvent::MouseMove, first, firstGlobal, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, first, firstGlobal, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &release);
    LinkSurface::systemMove() = original;

    // The window manager takes over a window already moved by the first movement.
    EXPECT_EQ(handedOver, 1);
    const QPoint expected = QPoint(100, 100) + (first - start).toPoint();
    EXPECT_EQ(handedAt, expected);
    EXPECT_EQ(view->pos(), expected);
    EXPECT_TRUE(asked.links.isEmpty());
}

TEST(WidgetFace, ListRowsOpenTheirProjectAndKeepTheEntryOrder) {
    AudioProject focused = projectUpdated(QStringLiteral("focused"), 500);
    focused.isFocused = true;
    const QList<AudioProject> entry{focused, projectUpdated(QStringLiteral("b"), 0)};
    const auto medium = face(WidgetFamily::Medium, entry);
    EXPECT_EQ(rowNames(medium->listView()), (QStringList{"focused", "b"}));
    Requests asked(medium.get());
    TrackRow* second = medium->listView()->rows().at(1);
    tap(second, QPoint(20, second->height() / 2));
    ASSERT_EQ(asked.links.size(), 1);
    EXPECT_EQ(asked.links.first(), entry.at(1).deepLink());
}

QString intentProject(const WidgetIntent& intent) {
    return std::visit([](const auto& each) { return each.projectID; }, intent);
}

TEST(WidgetFace, ATapAfterAReSortActsOnTheProjectDrawnUnderIt) {
    const AudioProject a = manualProject(QStringLiteral("a"), 0.2);
    const AudioProject b = manualProject(QStringLiteral("b"), 0.4);
    const AudioProject c = manualProject(QStringLiteral("c"), 0.6);
    const auto medium = face(WidgetFamily::Medium, {a, b, c});
    Requests asked(medium.get());
    // As the host does: every intent is performed and the new order drawn at once.
    QObject::connect(medium.get(), &SorvelWidgetView::intentRequested, medium.get(), [&] {
        medium->setEntry({QDateTime::currentDateTimeUtc(), {b, a, c}});
    });

    const auto secondRow = [&] { return medium->listView()->rows().at(1); };
    tap(secondRow()->quickAction()->button());
    EXPECT_TRUE(medium->holdsOrder());
    EXPECT_EQ(rowNames(medium->listView()), (QStringList{"a", "b", "c"}));
    tap(secondRow()->quickAction()->button());
    tap(secondRow(), QPoint(20, secondRow()->height() / 2));
    ASSERT_EQ(asked.intents.size(), 2);
    const QString bID = intentProject(*NextStep::intent(b));
    EXPECT_EQ(intentProject(asked.intents.at(0)), bID);
    EXPECT_EQ(intentProject(asked.intents.at(1)), bID);
    ASSERT_EQ(asked.links.size(), 1);
    EXPECT_EQ(asked.links.first(), b.deepLink());

    // After the pause the rows take the latest order.
    EXPECT_TRUE(waitUntil([&] { return !medium->holdsOrder(); }, SorvelWidgetView::orderHoldMs + 1000));
    EXPECT_EQ(rowNames(medium->listView()), (QStringList{"b", "a", "c"}));
    // Without a tap a new entry is drawn in its own order at once.
    medium->setEntry({QDateTime::currentDateTimeUtc(), {c, b, a}});
    EXPECT_EQ(rowNames(medium->listView()), (QStringList{"c", "b", "a"}));
}

// The shelf changed elsewhere just before a tap: under the pointer the face
// keeps the project it shows, so the tap acts on the one it was aimed at.
TEST(WidgetFace, UnderThePointerTheSmallFaceKeepsItsProjectUntilThePointerLeaves) {
    const AudioProject aimed = manualProject(QStringLiteral("aimed"), 0.2);
    const AudioProject other = manualProject(QStringLiteral("other"), 0.5);
    const AudioProject newcomer = manualProject(QStringLiteral("newcomer"), 0.7);
    const auto small = face(WidgetFamily::Small, {aimed, other});
    Requests asked(small.get());
    pointerEnters(small.get());

    AudioProject aimedNow = aimed;
    aimedNow.manualProgress = 0.3;
    small->setEntry({QDateTime::currentDateTimeUtc(), {other, aimedNow}, 2});
    EXPECT_EQ(small->smallView()->project().name, QStringLiteral("aimed"));
    EXPECT_EQ(small->smallView()->percentText(), QStringLiteral("30")) << "the project shown is the file's";
    small->setEntry({QDateTime::currentDateTimeUtc(), {newcomer, other, aimedNow}, 3});
    EXPECT_EQ(small->smallView()->project().name, QStringLiteral("aimed"));
    tap(small->smallView()->control()->button());
    tap(small.get());
    ASSERT_EQ(asked.intents.size(), 1);
    EXPECT_EQ(intentProject(asked.intents.first()), intentProject(*NextStep::intent(aimed)));
    ASSERT_EQ(asked.links.size(), 1);
    EXPECT_EQ(asked.links.first(), aimed.deepLink());

    // Gone from the file while pointed at: still drawn, until the pointer leaves.
    small->setEntry({QDateTime::currentDateTimeUtc(), {newcomer, other}, 2});
    EXPECT_EQ(small->smallView()->project().name, QStringLiteral("aimed"));
    pointerLeaves(small.get());
    EXPECT_TRUE(waitUntil([&] { return !small->holdsOrder(); }, SorvelWidgetView::orderHoldMs + 1000));
    EXPECT_EQ(small->smallView()->project().name, QStringLiteral("newcomer"));
}

TEST(WidgetFace, UnderThePointerListRowsKeepTheirProjectsAndNewcomersWait) {
    const AudioProject a = manualProject(QStringLiteral("a"), 0.2);
    const AudioProject b = manualProject(QStringLiteral("b"), 0.4);
    const AudioProject c = manualProject(QStringLiteral("c"), 0.6);
    const AudioProject d = manualProject(QStringLiteral("d"), 0.8);
    const auto medium = face(WidgetFamily::Medium, {a, b, c});
    pointerEnters(medium.get());

    medium->setEntry({QDateTime::currentDateTimeUtc(), {d, c, a}, 3});
    EXPECT_EQ(rowNames(medium->listView()), (QStringList{"a", "b", "c"}));
    Requests asked(medium.get());
    tap(medium->listView()->rows().at(1)->quickAction()->button());
    ASSERT_EQ(asked.intents.size(), 1);
    EXPECT_EQ(intentProject(asked.intents.first()), intentProject(*NextStep::intent(b)));

    pointerLeaves(medium.get());
    EXPECT_TRUE(waitUntil([&] { return !medium->holdsOrder(); }, SorvelWidgetView::orderHoldMs + 1000));
    EXPECT_EQ(rowNames(medium->listView()), (QStringList{"d", "c", "a"}));
}

// The header counts the tapes the face draws, at every redraw: those of the
// file, and the rows kept under the pointer after they left it; once the
// pointer leaves, the file's count.
TEST(WidgetFace, UnderThePointerTheHeaderCountsTheTapesDrawn) {
    const QList<AudioProject> five = manyProjects(5);
    for (const WidgetFamily family : {WidgetFamily::Medium, WidgetFamily::Large}) {
        const std::string where = family == WidgetFamily::Medium ? "medium" : "large";
        // Started before there was a file: the first tape comes in under the pointer.
        auto widget = face(family, {});
        pointerEnters(widget.get());
        widget->setEntry({QDateTime::currentDateTimeUtc(), five.mid(0, 1), 1});
        ASSERT_NE(widget->listView(), nullptr) << where;
        EXPECT_EQ(rowNames(widget->listView()), (QStringList{"P1"})) << where;
        EXPECT_EQ(widget->listView()->total(), 1) << where;

        widget->setEntry({QDateTime::currentDateTimeUtc(), five, 7});
        EXPECT_EQ(widget->listView()->total(), 7) << where;
        // A tape beyond those drawn left the file: the same rows, one tape fewer.
        widget->setEntry({QDateTime::currentDateTimeUtc(), five, 6});
        EXPECT_EQ(widget->listView()->total(), 6) << where;
        // Every tape left the file; the rows drawn stay, and are counted.
        const QStringList drawn = rowNames(widget->listView());
        EXPECT_EQ(drawn.size(), WidgetFamilies::rowCount(family)) << where;
        widget->setEntry({QDateTime::currentDateTimeUtc(), {}, 0});
        EXPECT_EQ(rowNames(widget->listView()), drawn) << where;
        EXPECT_EQ(widget->listView()->total(), drawn.size()) << where;
        widget->setEntry({QDateTime::currentDateTimeUtc(), five.mid(1), 4});
        EXPECT_EQ(rowNames(widget->listView()).first(), QStringLiteral("P1")) << where;
        EXPECT_EQ(widget->listView()->total(), 5) << where << ": four of the file and the row that left";

        pointerLeaves(widget.get());
        ASSERT_TRUE(waitUntil([&] { return !widget->holdsOrder(); }, SorvelWidgetView::orderHoldMs + 1000));
        EXPECT_EQ(widget->listView()->total(), 4) << where;
        EXPECT_EQ(rowNames(widget->listView()).first(), QStringLiteral("P2")) << where;
    }
}

// What a tap that changed nothing says is read whole on every face: the
// small one breaks the sentence over two lines.
TEST(WidgetFace, ANoticeShowsItsWholeSentenceOnEveryFace) {
    QStringList texts{WidgetHost::folderBusyText(), WidgetHost::tapeGoneText(), WidgetHost::tapeChangedText()};
    for (const int error : {EFBIG, ENOSPC, EDQUOT, EACCES, EROFS, EIO, ENOTDIR})
        texts.append(WidgetHost::writeFailedText({QStringLiteral("projects.json"), error}));
    for (const WidgetFamily family : WidgetFamilies::all()) {
        SCOPED_TRACE(WidgetFamilies::name(family).toStdString());
        const auto view = face(family, manyProjects(1));
        const int margin = WidgetLook::contentMargin;
        const QRect content = view->rect().adjusted(margin, margin, -margin, -margin);
        for (const QString& text : texts) {
            view->showNotice(text);
            const auto* notice = view->findChild<WidgetNotice*>();
            ASSERT_NE(notice, nullptr);
            EXPECT_EQ(notice->lines().join(QString()), text);
            EXPECT_TRUE(content.contains(notice->geometry())) << text.toStdString();
        }
    }
    const auto small = face(WidgetFamily::Small, manyProjects(1));
    small->showNotice(WidgetHost::folderBusyText());
    const auto* notice = small->findChild<WidgetNotice*>();
    ASSERT_EQ(notice->lines().size(), 2);
    EXPECT_TRUE(notice->lines().first().endsWith(QStringLiteral("，"))) << "broken where the sentence pauses";
    EXPECT_GE(notice->height(), 2 * Shapes::lineHeight(Studio::font(11, Studio::Weight::Medium)));

    small->showNotice(WidgetHost::writeFailedText({QStringLiteral("projects.json"), EDQUOT}));
    EXPECT_EQ(notice->lines(), QStringList({QStringLiteral("无法写入数据文件："), QStringLiteral("超出了磁盘配额")}))
        << "broken after the colon, where the reason starts";
}

TEST(WidgetFace, TheSampleShelfShowsTheScoreFirstAtThirtyThreePercent) {
    const auto small = face(WidgetFamily::Small, SampleData::projects());
    EXPECT_EQ(small->smallView()->project().name, QStringLiteral("春季 BGM"));
    EXPECT_EQ(small->smallView()->percentText(), QStringLiteral("33"));
    EXPECT_TRUE(small->smallView()->showsTapeWindow());
    EXPECT_EQ(small->smallView()->control()->text(), QStringLiteral("2 · 已录混"));
}

TEST(WidgetFace, ProgressFromTheFileIsClampedForDisplay) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const QList<std::pair<double, QString>> cases{{7.5, "100"},     {-2, "00"},        {nan, "00"},
                                                  {infinity, "00"}, {-infinity, "00"}, {0.994, "99"}};
    for (const auto& [value, shown] : cases) {
        const AudioProject project = manualProject(QStringLiteral("x"), value);
        for (const WidgetFamily family : WidgetFamilies::all()) {
            for (const RenderingMode mode : {RenderingMode::FullColor, RenderingMode::Accented}) {
                const auto view = face(family, {project}, mode);
                const QString percent = family == WidgetFamily::Small ? view->smallView()->percentText()
                                                                      : view->listView()->rows().first()->percentText();
                EXPECT_EQ(percent, shown) << value;
                EXPECT_FALSE(view->grab().isNull()); // drawing a crafted value never fails
            }
        }
    }
}

TEST(TrackRowLine, NamesTheNextCueOrSummarisesTheCues) {
    const auto row = [](const AudioProject& project) {
        return std::make_unique<TrackRow>(project, ProjectType::find(ProjectType::defaults(), project.typeID), true,
                                          RenderingMode::FullColor);
    };
    EXPECT_EQ(row(projectWithStages("a", {CueStage::Delivered, CueStage::Revising}))->nextLine(),
              QStringLiteral("NEXT · 2 · 修改中"));
    EXPECT_EQ(row(projectUpdated("none", 0))->nextLine(), QStringLiteral("暂无 cue"));

    const AudioProject delivered = projectWithStages("b", {CueStage::Delivered, CueStage::Delivered});
    EXPECT_EQ(row(delivered)->nextLine(), delivered.cueSummary());
    EXPECT_EQ(row(delivered)->percentText(), QStringLiteral("100"));

    // Manual progress does not hide the next cue.
    AudioProject manual = projectWithStages("c", {CueStage::Composing});
    manual.progressMode = ProgressMode::Manual;
    manual.manualProgress = 0.4;
    EXPECT_EQ(row(manual)->percentText(), QStringLiteral("40"));
    EXPECT_EQ(row(manual)->nextLine(), QStringLiteral("NEXT · 1 · 作曲中"));
    // Spaces a hand edit left around the number are not shown.
    manual.items.first().number = QStringLiteral("  1M01 ");
    EXPECT_EQ(row(manual)->nextLine(), QStringLiteral("NEXT · 1M01 · 作曲中"));
    EXPECT_EQ(row(manual)->quickAction()->form(), NextStep::Form::AddProgress);

    AudioProject done = projectWithStages("d", {CueStage::NotStarted});
    done.status = ProjectStatus::Done;
    EXPECT_EQ(row(done)->percentText(), QStringLiteral("100"));
}

TEST(TrackRowLook, AccentedRowsDrawInWhiteButThePlusBadgeKeepsTheTypeColour) {
    const AudioProject project = manualProject(QStringLiteral("脚步声"), 0.5);
    const ProjectType sfxType = ProjectType::find(ProjectType::defaults(), ProjectType::sfxID);
    const QColor sfx = Studio::typeColor(sfxType);
    for (const RenderingMode mode : {RenderingMode::FullColor, RenderingMode::Accented}) {
        TrackRow row(project, sfxType, true, mode);
        row.resize(320, row.sizeHint().height());
        row.show();
        QApplication::processEvents();
        const QColor bar = pixel(&row, QPoint(1, row.height() / 2));
        EXPECT_TRUE(sameColor(bar, mode == RenderingMode::FullColor ? sfx : QColor(Qt::white), 12))
            << bar.name().toStdString();
        QWidget* badge = row.quickAction()->button();
        ASSERT_NE(badge, nullptr);
        const QPoint corner = badge->mapTo(&row, badge->rect().center() + QPoint(-5, -5));
        EXPECT_TRUE(sameColor(pixel(&row, corner), sfx, 12)) << pixel(&row, corner).name().toStdString();
    }
}

TEST(SmallViewLook, AccentedShowsTheWaveformOnAFaintCard) {
    const auto view = face(WidgetFamily::Small, {manualProject(QStringLiteral("a"), 0.5)}, RenderingMode::Accented);
    EXPECT_FALSE(view->smallView()->showsTapeWindow());
    // The card: white at 0.12 over the dark background (a dark grey), not the cream label.
    const QPoint onCard(3, int(view->smallView()->nameText().height()) + 20);
    const QColor card = pixel(view.get(), view->smallView()->mapTo(view.get(), onCard));
    EXPECT_TRUE(sameColor(card, QColor(66, 66, 71), 8)) << card.name().toStdString();
    const auto full = face(WidgetFamily::Small, {manualProject(QStringLiteral("a"), 0.5)});
    const QColor label = pixel(full.get(), full->smallView()->mapTo(full.get(), onCard));
    EXPECT_TRUE(sameColor(label, Studio::label())) << label.name().toStdString();
}

TEST(SmallViewLook, ALongNameShrinksBeforeItIsCut) {
    const QFont font = Studio::font(13, Studio::Weight::Bold);
    const FittedText shortName = FittedText::fit(QStringLiteral("春季 BGM"), font, 130, 2, 0.8);
    EXPECT_EQ(shortName.font.pixelSize(), 13);
    EXPECT_EQ(shortName.lines, QStringList{QStringLiteral("春季 BGM")});

    const QString longer = QStringLiteral("一二三四五六七八九十一二三四五六七八九十一");
    const FittedText shrunk = FittedText::fit(longer, font, 130, 2, 0.8);
    EXPECT_LT(shrunk.font.pixelSize(), 13);
    EXPECT_GE(shrunk.font.pixelSize(), 11);
    EXPECT_EQ(shrunk.lines.join(QString()), longer);

    const FittedText cut = FittedText::fit(longer.repeated(3), font, 130, 2, 0.8);
    EXPECT_EQ(cut.font.pixelSize(), 11);
    ASSERT_EQ(cut.lines.size(), 2);
    EXPECT_TRUE(cut.lines.last().endsWith(QChar(0x2026)));
}

TEST(SmallViewLook, ACutNameContinuesTheTextWithoutAddingSpaces) {
    const QFont font = Studio::font(13, Studio::Weight::Bold);
    // The second line ends early, before a word too long for it.
    const QString name = QStringLiteral("一二三四五六七八九十一二三四五六七八九十Superlongunbreakablewordforthecut");
    const FittedText cut = FittedText::fit(name, font, 130, 2, 0.8);
    ASSERT_EQ(cut.lines.size(), 2);
    ASSERT_TRUE(cut.lines.last().endsWith(QChar(0x2026)));
    const QString shown = cut.lines.first() + cut.lines.last().chopped(1);
    EXPECT_TRUE(name.startsWith(shown)) << shown.toStdString();
    EXPECT_GT(shown.size(), 20); // past the twenty ideographs: the cut line goes on into the word
}

} // namespace
} // namespace sorvel::test
