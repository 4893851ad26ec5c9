#include "support/LibraryFixture.h"
#include "support/SampleRecords.h"
#include "support/Waiting.h"

#include "app/detail/CueTable.h"
#include "app/library/ProjectListRow.h"
#include "app/library/ProjectListView.h"
#include "app/library/TapeSelection.h"

#include <QCursor>
#include <QMouseEvent>
#include <QVariantAnimation>
#include <QWindow>

namespace sorvel::test {
namespace {

class ProjectListViewTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        list.setSelect(
            [this](const QUuid& id, Qt::KeyboardModifiers modifiers) { TapeSelection::click(router, id, modifiers); });
        list.resize(1200, 600);
        list.show();
    }

    void clickTitle(ProjectSort column) {
        const QRectF header = list.headerRect();
        for (qreal x = header.left(); x < header.right(); x += 4) {
            const QPointF at(x, header.center().y());
            if (list.columnAt(at) == column) {
                clickAt(list.viewport(), at);
                return;
            }
        }
        FAIL() << "no title for the column";
    }

    // Runs a row's opening or closing to its end.
    void settle(const QUuid& id) {
        if (QVariantAnimation* motion = list.cueTableMotion(id))
            motion->setCurrentTime(motion->duration());
        ASSERT_EQ(list.cueTableMotion(id), nullptr);
    }
    QImage chevron(int row) {
        return list.viewport()->grab(ProjectListRow::chevronRect(list.rowRect(row)).toAlignedRect()).toImage();
    }

    ProjectListView list{store, router};
};

TEST_F(ProjectListViewTest, TheRowUnderAStillPointerIsTheHoveredOneAfterAReorder) {
    const AudioProject a = project("a"), b = project("b"), c = project("c");
    // Inside the test screen, where the pointer can be.
    list.resize(760, 500);
    list.setProjects({a, b, c});
    ASSERT_TRUE(waitUntil([&] { return list.windowHandle() && list.windowHandle()->isExposed(); }, 2000));
    QWidget* view = list.viewport();
    const QPointF pointer = list.rowRect(1).center();
    QCursor::setPos(view->mapToGlobal(pointer.toPoint()));
    QMouseEvent move(QEvent::MouseMove, pointer, view->mapToGlobal(pointer), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    ASSERT_EQ(list.hoveredID(), b.id);

    // The hovered project moves to the top: the one sliding under the still pointer is hovered.
    list.setProjects({b, a, c});
    EXPECT_EQ(list.hoveredID(), a.id);
    // Off the list, nothing is hovered whatever moves.
    QCursor::setPos(list.mapToGlobal(QPoint(list.width() + 20, 10)));
    list.setProjects({a, b, c});
    EXPECT_FALSE(list.hoveredID().has_value());
}

TEST_F(ProjectListViewTest, TitleClicksCycleAndTheThirdRestoresTheShelfOrder) {
    const auto manual = [](const QString& name, double progress) {
        return project(name, [progress](AudioProject& p) {
            p.progressMode = ProgressMode::Manual;
            p.manualProgress = progress;
        });
    };
    list.setProjects({manual("tieA", 0.5), manual("top", 0.9), manual("tieB", 0.5)});

    clickTitle(ProjectSort::Progress);
    EXPECT_EQ(names(list.sorted()), "top|tieB|tieA");
    clickTitle(ProjectSort::Progress);
    EXPECT_EQ(names(list.sorted()), "tieA|tieB|top");
    clickTitle(ProjectSort::Progress);
    EXPECT_EQ(list.sortState().sort, ProjectSort::Default);
    EXPECT_EQ(names(list.sorted()), "tieA|top|tieB");

    clickTitle(ProjectSort::Name);
    EXPECT_EQ(names(list.sorted()), "tieA|tieB|top");
}

TEST_F(ProjectListViewTest, TheChevronOpensARowWithoutSelectingAndOpenRowsSurviveResorting) {
    const AudioProject b = project("b"), a = project("a"), c = project("c");
    list.setProjects({b, a, c});
    clickAt(list.viewport(), ProjectListRow::chevronRect(list.rowRect(0)).center());
    EXPECT_TRUE(list.isExpanded(b.id));
    EXPECT_TRUE(router.selection().isEmpty());
    ASSERT_EQ(list.findChildren<CueTable*>().size(), 1);
    settle(b.id);

    clickTitle(ProjectSort::Name);
    EXPECT_EQ(names(list.sorted()), "a|b|c");
    EXPECT_TRUE(list.isExpanded(b.id));
    // The opened row pushes the rows below it down; closed rows are separated by the rule alone.
    EXPECT_LE(list.rowRect(1).top() - list.rowRect(0).bottom(), 1);
    EXPECT_GT(list.rowRect(2).top() - list.rowRect(1).bottom(), ProjectListView::cueBottomInset);

    // A project that leaves and comes back opens again.
    list.setProjects({a});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // closed tables go with deleteLater
    EXPECT_TRUE(list.findChildren<CueTable*>().isEmpty());
    list.setProjects({a, b});
    EXPECT_TRUE(list.isExpanded(b.id));
    EXPECT_EQ(list.findChildren<CueTable*>().size(), 1);

    clickAt(list.viewport(), ProjectListRow::chevronRect(list.rowRect(1)).center());
    EXPECT_FALSE(list.isExpanded(b.id));

    list.reset();
    EXPECT_EQ(list.sortState().sort, ProjectSort::Default);
    EXPECT_EQ(names(list.sorted()), "a|b");
}

TEST_F(ProjectListViewTest, ACueTableOpensAndClosesAsASpringAndTheChevronTurnsWithIt) {
    const AudioProject a = project("a", [](AudioProject& p) { p.items = {cueAt(CueStage::Composing)}; });
    const AudioProject b = project("b");
    put({a, b});
    list.setProjects({a, b});
    const qreal closedTop = list.rowRect(1).top();
    const QImage pointingRight = chevron(0);

    list.toggle(a.id);
    QVariantAnimation* motion = list.cueTableMotion(a.id);
    ASSERT_NE(motion, nullptr);
    EXPECT_EQ(list.rowRect(1).top(), closedTop) << "the table unfolds, it does not appear at once";
    motion->setCurrentTime(motion->duration() / 5);
    const qreal unfolding = list.rowRect(1).top();
    EXPECT_GT(unfolding, closedTop);
    const QImage turning = chevron(0);
    EXPECT_NE(turning, pointingRight);
    settle(a.id);
    auto* table = list.findChild<CueTable*>();
    ASSERT_NE(table, nullptr);
    const qreal openTop = list.rowRect(1).top();
    EXPECT_DOUBLE_EQ(openTop - closedTop, table->sizeHint().height() + ProjectListView::cueBottomInset);
    EXPECT_GT(openTop, unfolding);
    const QImage pointingDown = chevron(0);
    EXPECT_NE(pointingDown, turning);
    EXPECT_NE(pointingDown, pointingRight);

    // Closing folds it back; the table stays until it has folded away.
    list.toggle(a.id);
    motion = list.cueTableMotion(a.id);
    ASSERT_NE(motion, nullptr);
    motion->setCurrentTime(motion->duration() / 5);
    EXPECT_GT(list.rowRect(1).top(), closedTop);
    EXPECT_LT(list.rowRect(1).top(), openTop);
    EXPECT_TRUE(table->isVisible());
    EXPECT_NE(chevron(0), pointingDown);
    settle(a.id);
    EXPECT_EQ(list.rowRect(1).top(), closedTop);
    EXPECT_EQ(chevron(0), pointingRight);
    EXPECT_FALSE(table->isVisible());
}

TEST_F(ProjectListViewTest, AnEmptyListDrawsTheHeaderAlone) {
    list.setProjects({});
    EXPECT_TRUE(list.sorted().isEmpty());
    EXPECT_EQ(list.rowAt(list.headerRect().center() + QPointF(0, 40)), -1);
    const QRectF header = list.headerRect();
    EXPECT_EQ(list.columnAt(QPointF(header.left() + 100, header.center().y())), ProjectSort::Name);
    EXPECT_EQ(list.columnAt(QPointF(header.right() - 20, header.center().y())), ProjectSort::Updated);
}

TEST(ProjectListRowTest, CellTextsFollowTheRecord) {
    EXPECT_EQ(str(ProjectListRow::countText(2, 5)), "2/5");
    EXPECT_EQ(str(ProjectListRow::countText(0, 0)), "—");

    ProjectListRow row{project("empty")};
    EXPECT_EQ(str(row.durationText()), "—");
    EXPECT_EQ(str(row.deadlineText()), "—");
    EXPECT_EQ(str(row.percentText()), "0%");
    EXPECT_EQ(str(row.chevronHelp()), "展开 cue");
    row.expanded = true;
    EXPECT_EQ(str(row.chevronHelp()), "收起 cue");

    row.project.items = {cueAt(CueStage::Delivered, 65), cueAt(CueStage::Composing, 60), cueAt(CueStage::NotStarted),
                         cueAt(CueStage::Mixed)};
    EXPECT_EQ(str(row.durationText()), "02:05");
    EXPECT_EQ(str(row.percentText()), "25%");
    row.project.items = {cueAt(CueStage::Composing, 0)};
    EXPECT_EQ(str(row.durationText()), "—"); // a total of 0 s, cues or not

    row.project.progressMode = ProgressMode::Manual;
    row.project.manualProgress = 0.125;
    EXPECT_EQ(str(row.percentText()), "13%");
    row.project.status = ProjectStatus::Done;
    EXPECT_EQ(str(row.percentText()), "100%");
}

} // namespace
} // namespace sorvel::test
