#include "app/detail/CueTableFixture.h"

#include "app/detail/CueRow.h"
#include "app/library/ProjectListView.h"

#include <QDrag>
#include <QPointer>
#include <QVariantAnimation>

namespace sorvel::test {
namespace {

// The cue tables that open inside rows of the project list.
using ListRowCueTableTest = CueTableTest;

TEST_F(ListRowCueTableTest, ClosingAListRowKeepsTheKeyboardOutOfTheNextOpenTable) {
    open({namedCue("1", "Opening")});
    AudioProject other = project(QStringLiteral("Other"), [](AudioProject& p) { p.items = {namedCue("9", "Other")}; });
    store.addProject(other);
    ProjectListView list(store, router);
    list.resize(1200, 700);
    list.show();
    list.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return list.isActiveWindow(); }, 2000));
    list.setProjects({*store.project(projectID), *store.project(other.id)});
    list.toggle(projectID);
    list.toggle(other.id);
    for (const QUuid& id : {projectID, other.id}) {
        if (QVariantAnimation* opening = list.cueTableMotion(id))
            opening->setCurrentTime(opening->duration());
    }
    QList<CueTable*> tables = list.findChildren<CueTable*>();
    ASSERT_EQ(tables.size(), 2);
    CueTable* typing = tables.at(0)->projectID() == projectID ? tables.at(0) : tables.at(1);
    CueTable* next = typing == tables.at(0) ? tables.at(1) : tables.at(0);
    typing->rows().first()->focusField(CueFocus::Field::Title);
    ASSERT_TRUE(typing->rows().first()->titleField()->hasFocus());

    list.toggle(projectID);
    if (QVariantAnimation* closing = list.cueTableMotion(projectID))
        closing->setCurrentTime(closing->duration());
    // Not to the other project's fields or buttons either ("添加 cue" would take a Space).
    EXPECT_FALSE(next->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(ListRowCueTableTest, AnOpenedListRowGrowsWithItsTable) {
    open({namedCue("1")});
    const QUuid otherID = QUuid::createUuid();
    AudioProject other = project(QStringLiteral("Other"));
    other.id = otherID;
    store.addProject(other);
    ProjectListView list(store, router);
    list.resize(1200, 700);
    list.show();
    list.setProjects({*store.project(projectID), *store.project(otherID)});
    list.toggle(projectID);
    if (QVariantAnimation* opening = list.cueTableMotion(projectID))
        opening->setCurrentTime(opening->duration());
    const qreal closedGap = list.rowRect(1).top();

    auto* opened = list.findChild<CueTable*>();
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->projectID(), projectID);
    // The shelf hands the list its projects before the table hears of the new
    // cue; the table's own size change must still reach the list.
    opened->addCue();
    ASSERT_TRUE(waitUntil([&] { return list.rowRect(1).top() > closedGap; }, 1000));
    EXPECT_EQ(list.rowRect(1).top() - closedGap, CueRow::rowHeight + CueTable::ruleHeight);
}

TEST_F(ListRowCueTableTest, AListRowThatClosesDuringADragKeepsItsTableUntilTheDragEnds) {
    open({namedCue("1"), namedCue("2")});
    ProjectListView list(store, router);
    list.resize(1200, 700);
    list.show();
    list.setProjects({stored()});
    list.toggle(projectID);
    QPointer<CueTable> opened = list.findChild<CueTable*>();
    ASSERT_TRUE(opened);

    opened->setDragRunner([&](QDrag&) {
        list.setProjects({}); // the project leaves the list while the drag runs
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(opened);
        return Qt::IgnoreAction;
    });
    opened->startDrag(stored().items.first().id);
    ASSERT_TRUE(opened);
    EXPECT_FALSE(opened->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(opened);
}

} // namespace
} // namespace sorvel::test
