#include "PanelFixture.h"

#include "app/panel/EdgePanel.h"
#include "app/panel/EdgePanelView.h"
#include "app/panel/EdgeRootView.h"
#include "app/panel/NewTapeRow.h"
#include "app/panel/PanelEmptyState.h"
#include "app/panel/PanelTabButton.h"
#include "app/panel/PanelTape.h"
#include "app/panel/PanelTapeRow.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/SymbolTileButton.h"

#include <QCursor>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

namespace sorvel::test {
namespace {

using Tab = EdgePanelView::Tab;

QDateTime day(int d) {
    return QDateTime(QDate(2026, 12, d), QTime(12, 0), Qt::UTC);
}

class EdgePanelViewTest : public PanelTest {
protected:
    AudioProject addDone(const QString& name, std::optional<QDateTime> completed, bool archived = false) {
        AudioProject project = AudioProject::make(name, ProjectType::sfxID);
        project.status = ProjectStatus::Done;
        project.completedAt = completed;
        if (archived)
            project.archivedAt = day(7);
        store.addProject(project);
        return project;
    }

    static QStringList names(const QList<PanelTape*>& tapes) {
        QStringList shown;
        for (const PanelTape* tape : tapes)
            shown << tape->project().name;
        return shown;
    }
};

TEST_F(EdgePanelViewTest, CountsHaveAtLeastTwoDigits) {
    EXPECT_EQ(EdgePanelView::countText(0), QStringLiteral("00"));
    EXPECT_EQ(EdgePanelView::countText(7), QStringLiteral("07"));
    EXPECT_EQ(EdgePanelView::countText(123), QStringLiteral("123"));
}

TEST_F(EdgePanelViewTest, WithoutProjectsBothTabsSayWhatIsMissingAndThereIsNoFooter) {
    EdgePanelView& view = openView();
    EXPECT_EQ(view.tabButton(Tab::Active)->countText(), QStringLiteral("00"));
    EXPECT_EQ(view.tabButton(Tab::Done)->countText(), QStringLiteral("00"));
    EXPECT_TRUE(view.emptyState()->isVisibleTo(&view));
    EXPECT_EQ(view.emptyState()->text(), QStringLiteral("没有进行中的磁带"));
    click(view.tabButton(Tab::Done));
    EXPECT_EQ(view.tab(), Tab::Done);
    EXPECT_EQ(view.emptyState()->text(), QStringLiteral("没有待归档的磁带"));
    EXPECT_FALSE(view.footer()->isVisibleTo(&view));
}

TEST_F(EdgePanelViewTest, TheActiveTabFollowsTheStoreOrderFocusedFirst) {
    const AudioProject older = add(QStringLiteral("Older"));
    AudioProject focused = AudioProject::make(QStringLiteral("Focused"), ProjectType::musicID);
    focused.isFocused = true;
    focused.updatedAt = day(1);
    store.addProject(focused);
    add(QStringLiteral("In review"), ProjectStatus::Review);
    addDone(QStringLiteral("Finished"), day(2));

    EdgePanelView& view = openView();
    EXPECT_EQ(names(view.tapes()), (QStringList{"Focused", "In review", "Older"}));
    EXPECT_EQ(view.tabButton(Tab::Active)->countText(), QStringLiteral("03"));
    EXPECT_FALSE(view.emptyState()->isVisibleTo(&view));
    EXPECT_FALSE(view.footer()->isVisibleTo(&view));
}

TEST_F(EdgePanelViewTest, TheDoneTabListsNewestCompletionFirstAndOffersToArchiveThemAll) {
    addDone(QStringLiteral("Monday"), day(7));
    addDone(QStringLiteral("Undated"), std::nullopt);
    addDone(QStringLiteral("Wednesday"), day(9));
    addDone(QStringLiteral("Tuesday A"), day(8));
    addDone(QStringLiteral("Tuesday B"), day(8));
    addDone(QStringLiteral("Archived"), day(10), true);
    // addProject puts each at the top, so the store holds B before A.
    EdgePanelView& view = openView();
    EXPECT_EQ(view.tabButton(Tab::Done)->countText(), QStringLiteral("05"));
    click(view.tabButton(Tab::Done));
    EXPECT_EQ(names(view.tapes()), (QStringList{"Wednesday", "Tuesday B", "Tuesday A", "Monday", "Undated"}));
    ASSERT_TRUE(view.footer()->isVisibleTo(&view));
    EXPECT_EQ(view.footer()->text(), QStringLiteral("全部归档 · 05"));

    controller->setPinned(true);
    click(view.footer());
    EXPECT_EQ(links, QStringList{QStringLiteral("sorvel://archive-done")});
    EXPECT_FALSE(controller->isPinned());
    EXPECT_FALSE(controller->isExpanded());
}

TEST_F(EdgePanelViewTest, TheFooterGoesWhenTheLastFinishedTapeIsArchived) {
    const AudioProject done = addDone(QStringLiteral("Finished"), day(3));
    EdgePanelView& view = openView();
    view.setTab(Tab::Done);
    ASSERT_TRUE(view.footer()->isVisibleTo(&view));
    store.update(done.id, [](AudioProject& p) { p.archivedAt = day(4); });
    EXPECT_FALSE(view.footer()->isVisibleTo(&view));
    EXPECT_EQ(view.tabButton(Tab::Done)->countText(), QStringLiteral("00"));
}

TEST_F(EdgePanelViewTest, TappingTapesOpensOneAtATimeAndSurvivesATabSwitch) {
    const AudioProject first = add(QStringLiteral("First"));
    const AudioProject second = add(QStringLiteral("Second"));
    EdgePanelView& view = openView();
    view.tapTape(first.id);
    view.tapTape(second.id);
    EXPECT_EQ(view.expandedID(), second.id);
    int open = 0;
    for (const PanelTape* tape : view.tapes())
        open += tape->isExpanded() ? 1 : 0;
    EXPECT_EQ(open, 1);

    view.setTab(Tab::Done);
    view.setTab(Tab::Active);
    EXPECT_TRUE(view.tapes().first()->isExpanded());
    view.tapTape(second.id);
    EXPECT_EQ(view.expandedID(), std::nullopt);
}

TEST_F(EdgePanelViewTest, TapesKeepTheirPlacesWhileThePointerIsOverThePanel) {
    AudioProject older = AudioProject::make(QStringLiteral("Older"), ProjectType::musicID);
    older.progressMode = ProgressMode::Manual;
    older.updatedAt = day(1);
    store.addProject(older);
    AudioProject newer = AudioProject::make(QStringLiteral("Newer"), ProjectType::musicID);
    newer.updatedAt = day(2);
    store.addProject(newer);
    EdgePanelView& view = openView();
    ASSERT_EQ(names(view.tapes()), (QStringList{"Newer", "Older"}));

    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(&view, &enter);
    EXPECT_TRUE(view.holdsOrder());
    // Stepping the lower tape makes it the most recent one; it stays where it is drawn.
    view.tapes().at(1)->step(0.1);
    ASSERT_EQ(activeSorted(store.projects()).first().id, older.id);
    EXPECT_EQ(names(view.tapes()), (QStringList{"Newer", "Older"}));
    EXPECT_DOUBLE_EQ(view.tapes().at(1)->project().manualProgress, 0.1);
    // The next click on the top row opens the tape drawn there.
    click(view.tapes().at(0)->findChild<PanelTapeRow*>());
    EXPECT_EQ(view.expandedID(), newer.id);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&view, &leave);
    EXPECT_FALSE(view.holdsOrder());
    EXPECT_EQ(names(view.tapes()), (QStringList{"Older", "Newer"}));
    EXPECT_TRUE(view.tapes().at(1)->isExpanded());
}

TEST_F(EdgePanelViewTest, OnlyTheTapeUnderThePointerShowsTheLighterFaceAfterTheListScrolls) {
    for (int i = 0; i < 14; ++i) {
        AudioProject tape = AudioProject::make(QStringLiteral("Tape %1").arg(i), ProjectType::musicID);
        tape.status = ProjectStatus::InProgress;
        tape.updatedAt = day(1 + i);
        store.addProject(tape);
    }
    EdgePanelView& view = openView();
    ASSERT_TRUE(slidesEnd());
    QScrollBar* bar = view.scrollArea()->verticalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return view.tapes().size() == 14 && bar->maximum() > 200; }, 2000));
    // A tape's face: its plate just inside its top edge, half way across.
    const auto face = [](PanelTape* tape) {
        const QImage image = tape->grab().toImage();
        return image.pixelColor(QPoint(tape->width() / 2, 3) * image.devicePixelRatio());
    };

    PanelTape* hovered = view.tapes().at(1);
    const QPoint pointer = hovered->mapToGlobal(hovered->rect().center());
    QCursor::setPos(pointer);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), pointer);
    QApplication::sendEvent(hovered, &enter);
    ASSERT_EQ(face(hovered), Studio::bg3());

    // A wheel turn moves the tapes, not the pointer: no leave or enter event comes.
    bar->setValue(bar->value() + 2 * hovered->height() + 20);
    EXPECT_EQ(face(hovered), Studio::bg2()) << "the tape scrolled away keeps the hover face";
    const QList<PanelTape*> tapes = view.tapes();
    const auto under = std::find_if(tapes.cbegin(), tapes.cend(), [&](const PanelTape* tape) {
        return tape->rect().contains(tape->mapFromGlobal(pointer));
    });
    ASSERT_NE(under, tapes.cend());
    ASSERT_NE(*under, hovered);
    EXPECT_EQ(face(*under), Studio::bg3()) << "the tape now under the pointer shows none";
    const int lit =
        int(std::count_if(tapes.cbegin(), tapes.cend(), [&](PanelTape* tape) { return face(tape) == Studio::bg3(); }));
    EXPECT_EQ(lit, 1);
}

TEST_F(EdgePanelViewTest, IconButtonsShowTheirHelpInAPanelOpenedByThePointer) {
    EdgePanelView& view = openView();
    ASSERT_TRUE(settlesAt(controller->expandedFrame()));
    // Opened by the pointer, another window keeps the keyboard.
    QWidget other;
    other.setGeometry(0, 0, 200, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return other.isActiveWindow(); }, 2000));
    ASSERT_FALSE(view.window()->isActiveWindow());
    SymbolTileButton* pin = view.pinButton();
    QTest::mouseMove(pin, pin->rect().center());
    QTest::mouseMove(pin, pin->rect().center() + QPoint(1, 0));
    EXPECT_TRUE(waitUntil([] { return QToolTip::isVisible(); }, 4000));
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("固定面板，不自动收起")));
    QToolTip::hideText();
}

TEST_F(EdgePanelViewTest, EveryExpansionStartsAfreshOnTheActiveTab) {
    const AudioProject tape = add(QStringLiteral("Tape"));
    EdgePanelView* view = &openView();
    view->setTab(Tab::Done);
    view->toggleAddRow();
    controller->collapse();
    controller->expand();
    view = controller->panel()->root().panelView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->tab(), Tab::Active);
    EXPECT_FALSE(view->isAdding());
    EXPECT_EQ(view->expandedID(), std::nullopt);
}

TEST_F(EdgePanelViewTest, QuickAddIgnoresBlankNamesAndCreatesANotStartedTapeOnTop) {
    add(QStringLiteral("Existing"));
    EdgePanelView& view = openView();
    view.setTab(Tab::Done);
    click(view.addButton());
    ASSERT_TRUE(view.isAdding());
    EXPECT_EQ(view.addButton()->symbol(), QStringLiteral("xmark"));
    EXPECT_FALSE(view.addButton()->isActive());
    QLineEdit* field = view.addRow()->nameField();
    EXPECT_EQ(field->placeholderText(), QStringLiteral("磁带名称，回车创建"));

    field->setText(QStringLiteral(" \t\u3000"));
    pressKey(field, Qt::Key_Return);
    EXPECT_EQ(store.projects().size(), 1);
    EXPECT_TRUE(view.isAdding());
    EXPECT_EQ(field->text(), QStringLiteral(" \t\u3000"));

    field->setText(QStringLiteral("  雨夜  "));
    pressKey(field, Qt::Key_Return);
    ASSERT_EQ(store.projects().size(), 2);
    const AudioProject& created = store.projects().first();
    EXPECT_EQ(created.name, QStringLiteral("雨夜"));
    EXPECT_EQ(created.status, ProjectStatus::NotStarted);
    EXPECT_EQ(created.typeID, ProjectType::musicID);
    EXPECT_EQ(created.progressMode, ProgressMode::Auto);
    EXPECT_TRUE(created.items.isEmpty() && created.log.isEmpty());
    EXPECT_TRUE(store.isDirty());
    EXPECT_EQ(view.tab(), Tab::Active);
    EXPECT_EQ(view.expandedID(), created.id);
    EXPECT_FALSE(view.isAdding());
    EXPECT_EQ(view.tapes().first()->project().id, created.id);
    EXPECT_TRUE(view.tapes().first()->isExpanded());

    view.toggleAddRow();
    EXPECT_TRUE(field->text().isEmpty());
}

TEST_F(EdgePanelViewTest, QuickAddUsesTheChosenTypeOrTheOneStandingInForADeletedType) {
    EdgePanelView& view = openView();
    view.toggleAddRow();
    QMenu* menu = view.addRow()->typeMenu();
    ASSERT_EQ(menu->actions().size(), ProjectType::defaults().size());
    menu->actions().at(1)->trigger();
    EXPECT_EQ(view.addingTypeID(), ProjectType::sfxID);

    store.deleteType(ProjectType::sfxID, ProjectType::otherID);
    view.addRow()->nameField()->setText(QStringLiteral("After delete"));
    view.createTape();
    ASSERT_FALSE(store.projects().isEmpty());
    EXPECT_EQ(store.projects().first().typeID, ProjectType::musicID); // the registry's first type

    view.toggleAddRow();
    EXPECT_EQ(view.addingTypeID(), ProjectType::sfxID); // the row remembers what was chosen
}

TEST_F(EdgePanelViewTest, ThePinButtonOnlyTogglesThePinAndShowsIt) {
    EdgePanelView& view = openView();
    EXPECT_EQ(view.pinButton()->symbol(), QStringLiteral("pin"));
    EXPECT_EQ(view.pinButton()->symbolColor(), Studio::text2());
    click(view.pinButton());
    EXPECT_TRUE(controller->isPinned());
    EXPECT_TRUE(controller->isExpanded());
    EXPECT_EQ(view.pinButton()->symbol(), QStringLiteral("pin.fill"));
    EXPECT_TRUE(view.pinButton()->isActive());
    EXPECT_EQ(view.pinButton()->symbolColor(), Studio::tint(view.pinButton()));
}

TEST_F(EdgePanelViewTest, TheWindowButtonReleasesThePinClosesAndOpensTheMainWindow) {
    EdgePanelView& view = openView();
    controller->setPinned(true);
    click(view.windowButton());
    EXPECT_FALSE(controller->isPinned());
    EXPECT_FALSE(controller->isExpanded());
    EXPECT_EQ(links, QStringList{QStringLiteral("sorvel://main")});
}

} // namespace
} // namespace sorvel::test
