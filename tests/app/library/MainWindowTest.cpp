#include "support/LibraryFixture.h"

#include "app/calendar/CalendarMonth.h"
#include "app/calendar/CalendarPage.h"
#include "app/calendar/DayCell.h"
#include "app/calendar/DayPanel.h"
#include "app/calendar/EventRow.h"
#include "app/calendar/MonthGrid.h"
#include "app/detail/CueRow.h"
#include "app/detail/CueTable.h"
#include "app/detail/CueTableFooter.h"
#include "app/detail/ProgressSection.h"
#include "app/detail/ProgressSlider.h"
#include "app/detail/ProjectDetailView.h"
#include "app/library/DrawerState.h"
#include "app/library/MainWindow.h"
#include "app/library/ProjectListColumns.h"
#include "app/library/ProjectListView.h"
#include "app/library/SheetPresenter.h"
#include "app/library/ShelfHeader.h"
#include "app/library/ShelfSummaryRow.h"
#include "app/library/StudioSidebar.h"
#include "app/library/TapeShelf.h"
#include "app/library/TypeEditorSheet.h"
#include "app/selection/MultiSelectionView.h"
#include "app/sheets/ArchiveSheet.h"
#include "app/sheets/NewProjectSheet.h"
#include "studio/AppearanceHost.h"
#include "studio/ElidedLine.h"
#include "studio/PlainSymbolButton.h"
#include "studio/SectionTitle.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "support/Waiting.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QThread>

#include <optional>

namespace sorvel::test {
namespace {

class MainWindowTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        window.resize(1320, 780);
        window.show();
    }
    void TearDown() override {
        // Sheets open window-modal; close whatever is still open before the window goes.
        router.setShowingNewProject(false);
        router.setShowingTypeEditor(false);
        router.setArchiveRequest(std::nullopt);
        QCoreApplication::processEvents();
    }

    MainWindow window{store, router, settings};
};

TEST_F(MainWindowTest, DrawerShowsOneExistingProjectOrSeveralIds) {
    const AudioProject one = project("one"), two = project("two");
    put({one, two});
    EXPECT_EQ(DrawerState::of({}, store).kind, DrawerState::Kind::None);
    EXPECT_EQ(DrawerState::of({QUuid::createUuid()}, store).kind, DrawerState::Kind::None);
    EXPECT_EQ(DrawerState::of({one.id}, store), (DrawerState{DrawerState::Kind::Detail, one.id}));
    EXPECT_EQ(DrawerState::of({one.id, QUuid::createUuid()}, store).kind, DrawerState::Kind::Multiple);

    router.setSelection({one.id});
    auto* first = qobject_cast<ProjectDetailView*>(window.drawerContent());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->projectID(), one.id);
    EXPECT_EQ(window.drawerTargetWidth(), MainWindow::drawerWidth);
    // Another project gets a fresh pane.
    router.setSelection({two.id});
    auto* second = qobject_cast<ProjectDetailView*>(window.drawerContent());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->projectID(), two.id);

    router.setSelection({one.id, two.id});
    EXPECT_NE(qobject_cast<MultiSelectionView*>(window.drawerContent()), nullptr);

    // Deleting the selected project closes its drawer.
    router.setSelection({two.id});
    store.deleteProjects({two.id});
    EXPECT_EQ(window.drawerState().kind, DrawerState::Kind::None);
    EXPECT_EQ(window.drawerTargetWidth(), 0);
}

TEST_F(MainWindowTest, ExpansionCoversThePageOnlyWhenThereIsADrawer) {
    const AudioProject one = project("one"), two = project("two");
    put({one, two});
    router.setDetailExpanded(true);
    EXPECT_TRUE(window.pageVisible());

    router.setSelection({QUuid::createUuid()}); // no such project: no drawer
    EXPECT_TRUE(window.pageVisible());
    EXPECT_EQ(window.drawerTargetWidth(), 0);

    router.setSelection({one.id, two.id});
    EXPECT_GT(window.drawerTargetWidth(), MainWindow::drawerWidth);
    // The covering takes effect once the drawer's short animation has run.
    for (int i = 0; i < 500 && window.pageVisible(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    EXPECT_FALSE(window.pageVisible());

    router.setSelection({});
    EXPECT_EQ(window.drawerTargetWidth(), 0);
    for (int i = 0; i < 500 && !window.pageVisible(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    EXPECT_TRUE(window.pageVisible());
}

TEST_F(MainWindowTest, AtTheSmallestSizeWithTheDrawerOpenEveryPageStaysReadable) {
    // Twelve cues started, mixed and delivered today: three dots with two-digit counts in one day.
    const AudioProject busy = project(QStringLiteral("Busy"), [](AudioProject& p) {
        p.status = ProjectStatus::InProgress;
        for (int i = 0; i < 12; ++i) {
            Cue cue;
            cue.id = QUuid::createUuid();
            cue.number = QString::number(i + 1);
            cue.stage = CueStage::Delivered;
            cue.startDate = cue.mixedAt = cue.deliveredAt = Clock::now();
            p.items << cue;
        }
    });
    put({busy, project(QStringLiteral("Other"))});
    window.resize(400, 300); // held at the minimum
    router.setSelection({busy.id});
    const auto pageWidthBesideTheDrawer = [&] {
        return window.centralWidget()->width() - StudioSidebar::fixedWidth - 2 * MainWindow::ruleWidth
            - MainWindow::drawerWidth;
    };
    ASSERT_TRUE(waitUntil([&] { return window.shelf()->width() == pageWidthBesideTheDrawer(); }, 3000));
    EXPECT_EQ(window.width(), MainWindow::minimumWindowSize.width());

    const ShelfHeader* header = window.shelf()->header();
    const auto* title = static_cast<const ElidedLine*>(header->titleLine());
    EXPECT_EQ(title->shownText(), header->titleText()) << "the title is not cut";
    const QLabel* count = header->countLabel();
    EXPECT_GE(count->width(), count->sizeHint().width()) << "the count is not cut";
    const QRect countBox(count->mapTo(header, QPoint()), count->size());
    const QRect pickerBox(header->tapeModeButton()->parentWidget()->mapTo(header, QPoint()),
                          header->tapeModeButton()->parentWidget()->size());
    EXPECT_FALSE(countBox.intersects(pickerBox)) << "the mode picker keeps clear of the count";
    for (const StatTile* tile : window.shelf()->summary()->tiles())
        EXPECT_GE(tile->width(), ShelfSummaryRow::tileMinimumWidth) << tile->text().toStdString();

    router.setSidebar(SidebarItem::calendar());
    router.setSelection({busy.id});
    ASSERT_TRUE(waitUntil([&] { return window.calendar()->width() == pageWidthBesideTheDrawer(); }, 3000));
    QCoreApplication::processEvents();
    const DayCell* today = window.calendar()->grid()->cell(CalendarMonth::today());
    ASSERT_NE(today, nullptr);
    ASSERT_EQ(today->content().dots.size(), 3);
    EXPECT_GE(today->width(), DayCell::minimumWidth);
    const QList<QRectF> dots = today->dotRects();
    for (int i = 0; i < dots.size(); ++i) {
        EXPECT_LE(dots[i].right(), today->width() - 6 + 0.01) << "dot " << i << " is not cut";
        EXPECT_GE(dots[i].top(), 6 + 22) << "dot " << i << " keeps below the day number";
        for (int j = 0; j < i; ++j)
            EXPECT_FALSE(dots[i].intersects(dots[j])) << i << " and " << j;
    }
}

TEST_F(MainWindowTest, AtTheSmallestSizeEveryHeaderStaysWholeWithAnySelection) {
    const auto done = [](AudioProject& p) { p.status = ProjectStatus::Done; };
    const AudioProject first = project(QStringLiteral("First"), done), second = project(QStringLiteral("Second"), done);
    const AudioProject open = project(QStringLiteral("Open"));
    put({first, second, open});
    window.resize(400, 300); // held at the minimum
    QCoreApplication::processEvents();
    ASSERT_EQ(window.width(), MainWindow::minimumWindowSize.width());
    const int pageWidthBesideTheDrawer = window.centralWidget()->width() - StudioSidebar::fixedWidth
        - 2 * MainWindow::ruleWidth - MainWindow::drawerWidth;

    for (const SidebarItem& page :
         {SidebarItem::done(), SidebarItem::active(), SidebarItem::type(ProjectType::musicID)}) {
        for (const QSet<QUuid>& selection :
             {QSet<QUuid>{first.id, second.id}, QSet<QUuid>{first.id, open.id, second.id}, QSet<QUuid>{first.id},
              QSet<QUuid>{}}) {
            router.setSidebar(page);
            router.setSelection(selection);
            // Without a drawer the page is wider; with one it waits for the drawer's animation to end.
            ASSERT_TRUE(waitUntil(
                [&] {
                    return selection.isEmpty() ? window.shelf()->width() > pageWidthBesideTheDrawer
                                               : window.shelf()->width() == pageWidthBesideTheDrawer;
                },
                3000));
            QCoreApplication::processEvents();
            const std::string where =
                page.title(store.registry()).toStdString() + " with " + std::to_string(selection.size()) + " selected";

            const ShelfHeader* header = window.shelf()->header();
            const auto* title = static_cast<const ElidedLine*>(header->titleLine());
            EXPECT_EQ(title->shownText(), header->titleText()) << where << ": the title is not cut";
            QList<const QWidget*> parts{title, header->countLabel(), header->tapeModeButton()->parentWidget()};
            if (header->offersArchiveAll())
                parts << header->archiveAllButton();
            if (!header->hintText().isEmpty())
                parts << header->hintLabel();
            EXPECT_EQ(header->offersArchiveAll(), page == SidebarItem::done()) << where;
            EXPECT_EQ(header->hintText().isEmpty(), selection.size() < 2) << where;
            QList<QRect> boxes;
            for (const QWidget* part : parts) {
                EXPECT_GE(part->width(), part->sizeHint().width()) << where << ": a part is cut";
                boxes << QRect(part->mapTo(header, QPoint()), part->size());
                EXPECT_TRUE(header->rect().contains(boxes.last())) << where << ": a part leaves the header";
            }
            for (qsizetype i = 0; i < boxes.size(); ++i) {
                for (qsizetype j = 0; j < i; ++j)
                    EXPECT_FALSE(boxes[i].intersects(boxes[j])) << where << ": parts " << j << " and " << i;
            }
        }
    }
}

// At the default size the day panel has no room beside an open drawer: a day
// picked then closes the drawer and the panel lists that day, so a click on a
// day always shows its entries.
TEST_F(MainWindowTest, PickingADayBringsBackTheDayPanelThatTheDrawerPushedAside) {
    const QDate day = CalendarMonth::today();
    const QDate other = day.addDays(day.day() < 15 ? 1 : -1);
    const AudioProject due =
        project(QStringLiteral("Due"), [&](AudioProject& p) { p.deadline = QDateTime(day, QTime(17, 0)); });
    put({due});
    router.setSidebar(SidebarItem::calendar());
    CalendarPage* calendar = window.calendar();
    DayPanel* panel = calendar->dayPanel();
    ASSERT_TRUE(
        waitUntil([&] { return panel->isVisible() && !panel->rows(CalendarEvent::Kind::Deadline).isEmpty(); }, 3000));

    EventRow* row = panel->rows(CalendarEvent::Kind::Deadline).first();
    clickAt(row, QRectF(row->rect()).center());
    ASSERT_EQ(router.selection(), QSet<QUuid>{due.id});
    ASSERT_TRUE(waitUntil([&] { return window.drawerContent() && !panel->isVisible(); }, 3000))
        << "the drawer leaves the panel no room at this width";

    DayCell* cell = calendar->grid()->cell(other);
    ASSERT_NE(cell, nullptr);
    clickAt(cell, QRectF(cell->rect()).center());
    EXPECT_EQ(calendar->selectedDay(), other);
    EXPECT_TRUE(router.selection().isEmpty());
    EXPECT_TRUE(waitUntil([&] { return !window.drawerContent() && panel->isVisible(); }, 3000));
    EXPECT_EQ(panel->width(), DayPanel::panelWidth);
    EXPECT_EQ(panel->headingText(), CalendarMonth::dayHeading(other));

    // Wide enough for both, the drawer stays open beside the panel.
    window.resize(MainWindow::minimumWindowSize.width() + CalendarPage::dayPanelRuleWidth + DayPanel::panelWidth, 780);
    router.setSelection({due.id});
    ASSERT_TRUE(waitUntil([&] { return window.drawerContent() && window.drawerState().isPresent(); }, 3000));
    ASSERT_TRUE(waitUntil([&] { return panel->isVisible(); }, 3000));
    DayCell* today = calendar->grid()->cell(day);
    ASSERT_NE(today, nullptr);
    clickAt(today, QRectF(today->rect()).center());
    EXPECT_EQ(calendar->selectedDay(), day);
    EXPECT_EQ(router.selection(), QSet<QUuid>{due.id});
    EXPECT_TRUE(panel->isVisible());
}

// At the smallest width a drawer is open whenever a tape is selected; the
// hint that a second selected tape brings must not push the shelf down.
TEST_F(MainWindowTest, AtTheSmallestSizeMoreSelectedTapesLeaveTheShelfStill) {
    const auto done = [](AudioProject& p) { p.status = ProjectStatus::Done; };
    const AudioProject first = project(QStringLiteral("First"), done), second = project(QStringLiteral("Second"), done);
    const AudioProject third = project(QStringLiteral("Third"), done);
    put({first, second, third});
    window.resize(400, 300); // held at the minimum
    QCoreApplication::processEvents();
    const int pageWidthBesideTheDrawer = window.centralWidget()->width() - StudioSidebar::fixedWidth
        - 2 * MainWindow::ruleWidth - MainWindow::drawerWidth;

    for (const SidebarItem& page :
         {SidebarItem::done(), SidebarItem::active(), SidebarItem::type(ProjectType::musicID)}) {
        router.setSidebar(page);
        std::optional<int> summaryTop;
        for (const QSet<QUuid>& selection : {QSet<QUuid>{first.id}, QSet<QUuid>{first.id, second.id},
                                             QSet<QUuid>{first.id, second.id, third.id}, QSet<QUuid>{first.id}}) {
            router.setSelection(selection);
            ASSERT_TRUE(waitUntil([&] { return window.shelf()->width() == pageWidthBesideTheDrawer; }, 3000));
            QCoreApplication::processEvents();
            const int top = window.shelf()->summary()->mapTo(window.shelf(), QPoint()).y();
            const std::string where =
                page.title(store.registry()).toStdString() + " with " + std::to_string(selection.size()) + " selected";
            if (summaryTop) {
                EXPECT_EQ(top, *summaryTop) << where;
            }
            summaryTop = top;
        }
    }
}

TEST_F(MainWindowTest, TheListBesideTheDrawerKeepsItsMainColumnsInSightWithoutScrollingSideways) {
    const auto tape = [](int number) {
        return project(QStringLiteral("Tape with a rather long name, number %1").arg(number));
    };
    const QList<AudioProject> tapes{tape(1), tape(2), tape(3), tape(4), tape(5), tape(6)};
    put({tapes[0], tapes[1], tapes[2], tapes[3], tapes[4], tapes[5]});
    QSet<QUuid> all;
    for (const AudioProject& made : tapes)
        all.insert(made.id);
    window.resize(MainWindow::initialSize);
    window.shelf()->header()->listModeButton()->click();
    ASSERT_EQ(window.shelf()->content(), TapeShelf::Content::List);
    const ProjectListView* list = window.shelf()->list();
    const auto pageWidth = [&](bool drawer) {
        return window.centralWidget()->width() - StudioSidebar::fixedWidth
            - (drawer ? 2 * MainWindow::ruleWidth + MainWindow::drawerWidth : MainWindow::ruleWidth);
    };
    const auto columnsInSight = [&] {
        const auto cells = ProjectListColumns::frames(list->headerRect());
        std::vector<bool> whole;
        for (const QRectF& cell : cells)
            whole.push_back(!cell.isEmpty() && cell.left() >= 0 && cell.right() <= list->viewport()->width());
        return whole;
    };

    // One tape and six: the drawer is as wide either way.
    for (const QSet<QUuid>& selection : {QSet<QUuid>{tapes.first().id}, all}) {
        router.setSelection(selection);
        ASSERT_TRUE(waitUntil([&] { return window.shelf()->width() == pageWidth(true); }, 3000));
        QCoreApplication::processEvents();
        EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0) << "the list scrolls sideways";
        const std::vector<bool> whole = columnsInSight();
        // The chevron, the name, the status and the progress stay whole; the name keeps room to be read.
        for (const std::size_t column : {0, 1, 3, 4})
            EXPECT_TRUE(whole[column]) << ProjectListColumns::all()[column].title.toStdString();
        EXPECT_GE(ProjectListColumns::frames(list->headerRect())[1].width(), ProjectListColumns::narrowestName);
        // What gives way goes whole, never cut at the edge.
        for (std::size_t column = 0; column < whole.size(); ++column) {
            const QRectF cell = ProjectListColumns::frames(list->headerRect())[column];
            EXPECT_TRUE(whole[column] || cell.isEmpty()) << ProjectListColumns::all()[column].title.toStdString();
        }
    }

    // Without the drawer every column is back.
    router.setSelection({});
    ASSERT_TRUE(waitUntil([&] { return window.shelf()->width() == pageWidth(false); }, 3000));
    QCoreApplication::processEvents();
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
    const std::vector<bool> whole = columnsInSight();
    EXPECT_EQ(std::count(whole.cbegin(), whole.cend(), true), qsizetype(ProjectListColumns::count));
}

TEST_F(MainWindowTest, TheCalendarEntryShowsTheCalendarAndEveryOtherEntryTheShelf) {
    EXPECT_TRUE(window.shelf()->isVisible());
    router.setSidebar(SidebarItem::calendar());
    EXPECT_TRUE(window.calendar()->isVisible());
    EXPECT_FALSE(window.shelf()->isVisible());
    for (const SidebarItem& item : {SidebarItem::active(), SidebarItem::done(), SidebarItem::archived(),
                                    SidebarItem::type(ProjectType::voiceID)}) {
        router.setSidebar(item);
        EXPECT_TRUE(window.shelf()->isVisible());
        EXPECT_FALSE(window.calendar()->isVisible());
    }
}

TEST_F(MainWindowTest, ClosingTheWindowOnlyHidesIt) {
    QCloseEvent close;
    QApplication::sendEvent(&window, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_FALSE(window.isVisible());
    window.bringToFront();
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, ClosingASheetAnyWayClearsItsRequest) {
    router.setShowingNewProject(true);
    SheetPresenter* sheets = window.sheets();
    ASSERT_EQ(sheets->current(), SheetPresenter::Sheet::NewProject);
    ASSERT_NE(qobject_cast<NewProjectSheet*>(sheets->currentDialog()), nullptr);
    EXPECT_TRUE(sheets->currentDialog()->isVisible());
    EXPECT_EQ(sheets->currentDialog()->windowModality(), Qt::WindowModal);
    sheets->currentDialog()->reject();
    EXPECT_FALSE(router.showingNewProject());
    EXPECT_EQ(sheets->current(), SheetPresenter::Sheet::None);

    router.setArchiveRequest(QSet<QUuid>{QUuid::createUuid()});
    ASSERT_NE(qobject_cast<ArchiveSheet*>(sheets->currentDialog()), nullptr);
    sheets->currentDialog()->close();
    EXPECT_FALSE(router.archiveRequest().has_value());
}

TEST_F(MainWindowTest, ClosingASheetGivesTheKeyboardBackToTheWindow) {
    // Without a window manager nothing else hands focus back, and the window's
    // shortcuts would stop answering.
    window.activateWindow();
    QCoreApplication::processEvents();
    router.setShowingNewProject(true);
    QCoreApplication::processEvents();
    QDialog* sheet = window.sheets()->currentDialog();
    ASSERT_NE(sheet, nullptr);
    sheet->activateWindow();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), sheet);

    sheet->reject();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &window);
}

TEST_F(MainWindowTest, SheetsShowOneAtATimeAndAWaitingRequestFollows) {
    SheetPresenter* sheets = window.sheets();
    router.setShowingNewProject(true);
    const QSet<QUuid> ids{QUuid::createUuid(), QUuid::createUuid()};
    router.setArchiveRequest(ids);
    EXPECT_EQ(sheets->current(), SheetPresenter::Sheet::NewProject);

    sheets->currentDialog()->reject();
    QCoreApplication::processEvents();
    EXPECT_EQ(sheets->current(), SheetPresenter::Sheet::Archive);
    EXPECT_EQ(router.archiveRequest(), ids);

    // The router withdrawing the request closes the sheet.
    router.setArchiveRequest(std::nullopt);
    EXPECT_EQ(sheets->current(), SheetPresenter::Sheet::None);
}

TEST_F(MainWindowTest, AnArchiveRequestOverAnotherSetIsAnotherSheet) {
    const QUuid a = QUuid::createUuid(), b = QUuid::createUuid();
    EXPECT_EQ(SheetPresenter::archiveIdentity({a, b}), SheetPresenter::archiveIdentity({b, a}));
    EXPECT_TRUE(SheetPresenter::archiveIdentity({}).isEmpty());

    SheetPresenter* sheets = window.sheets();
    router.setArchiveRequest(QSet<QUuid>{a});
    QDialog* first = sheets->currentDialog();
    router.setArchiveRequest(QSet<QUuid>{a, b});
    EXPECT_EQ(sheets->current(), SheetPresenter::Sheet::Archive);
    EXPECT_NE(sheets->currentDialog(), first);
    // Replacing the sheet keeps the new request.
    EXPECT_EQ(router.archiveRequest(), (QSet<QUuid>{a, b}));
}

TEST_F(MainWindowTest, DoneAndReturnCloseTheTypeEditor) {
    SheetPresenter* sheets = window.sheets();
    router.setShowingTypeEditor(true);
    auto* sheet = qobject_cast<TypeEditorSheet*>(sheets->currentDialog());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->size(), QSize(TypeEditorSheet::sheetWidth, TypeEditorSheet::sheetHeight));
    sheet->doneButton()->click();
    EXPECT_FALSE(router.showingTypeEditor());
    EXPECT_EQ(sheets->current(), SheetPresenter::Sheet::None);

    router.setShowingTypeEditor(true);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(sheets->currentDialog(), &enter);
    EXPECT_FALSE(router.showingTypeEditor());
}

TEST_F(MainWindowTest, ARequestMadeWhileHiddenOpensWhenTheWindowIsShown) {
    window.hide();
    router.setShowingNewProject(true);
    EXPECT_EQ(window.sheets()->current(), SheetPresenter::Sheet::None);
    window.bringToFront();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.sheets()->current(), SheetPresenter::Sheet::NewProject);
}

// Pixels of `rect` (in the window) that the window shows in about `color`.
int pixelsNear(const QImage& shown, const QRect& rect, const QColor& color) {
    int count = 0;
    for (int y = std::max(0, rect.top()); y <= std::min(shown.height() - 1, rect.bottom()); ++y) {
        for (int x = std::max(0, rect.left()); x <= std::min(shown.width() - 1, rect.right()); ++x) {
            const QColor pixel = shown.pixelColor(x, y);
            if (std::abs(pixel.red() - color.red()) < 24 && std::abs(pixel.green() - color.green()) < 24
                && std::abs(pixel.blue() - color.blue()) < 24)
                ++count;
        }
    }
    return count;
}

TEST_F(MainWindowTest, AnOpenDetailTakesANewAccentAtOnce) {
    const AudioProject open = project(QStringLiteral("Accent"), [](AudioProject& p) {
        p.progressMode = ProgressMode::Manual;
        p.manualProgress = 0.6;
        Cue cue;
        cue.id = QUuid::createUuid();
        cue.number = QStringLiteral("1M01");
        cue.title = QStringLiteral("Opening");
        p.items = {cue};
    });
    put({open});
    router.setSelection({open.id});
    auto* detail = qobject_cast<ProjectDetailView*>(window.drawerContent());
    ASSERT_NE(detail, nullptr);
    auto* table = detail->findChild<CueTable*>();
    ASSERT_NE(table, nullptr);
    const QList<SectionTitle*> titles = detail->findChildren<SectionTitle*>();
    ASSERT_GE(titles.size(), 4);

    // What the window shows on screen, not a fresh drawing of one widget.
    const auto shown = [&] { return window.screen()->grabWindow(window.winId()).toImage(); };
    const auto inWindow = [&](const QWidget* widget) {
        return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    };
    // Every part of the detail drawn in the accent that the window shows
    // (the notes' title lies below it), once the drawer is laid out.
    QList<const QWidget*> tinted(titles.cbegin(), titles.cend());
    tinted << detail->progressSection()->slider() << table->rows().first()->numberField()
           << table->footer()->addButton();
    const auto shownParts = [&] {
        QList<const QWidget*> parts = tinted;
        parts.removeIf([&](const QWidget* part) { return !window.rect().contains(inWindow(part)); });
        return parts;
    };
    const auto allIn = [&](const QColor& accent) {
        const QImage image = shown();
        return std::all_of(tinted.cbegin(), tinted.cend(),
                           [&](const QWidget* part) { return pixelsNear(image, inWindow(part), accent) > 0; });
    };
    ASSERT_TRUE(waitUntil(
        [&] {
            if (detail->width() != MainWindow::drawerWidth || shownParts().size() < 7)
                return false;
            tinted = shownParts();
            return allIn(Studio::tape());
        },
        3000));

    const QColor green(0x34, 0xC7, 0x59);
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("34C759"));
    EXPECT_TRUE(waitUntil([&] { return allIn(green); }, 3000));
    const QImage image = shown();
    for (const QWidget* part : tinted) {
        EXPECT_GT(pixelsNear(image, inWindow(part), green), 0) << part->metaObject()->className();
        EXPECT_EQ(pixelsNear(image, inWindow(part), Studio::tape()), 0) << part->metaObject()->className();
    }
}

} // namespace
} // namespace sorvel::test
