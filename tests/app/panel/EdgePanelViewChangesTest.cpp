#include "PanelFixture.h"

#include "app/panel/EdgePanel.h"
#include "app/panel/EdgePanelView.h"
#include "app/panel/EdgeRootView.h"
#include "app/panel/PanelTape.h"
#include "core/DrawnOrder.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>

namespace sorvel::test {
namespace {

using Tab = EdgePanelView::Tab;

class EdgePanelViewChangesTest : public PanelTest {
protected:
    void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Scrolls to the end of what is built until every tape is built.
    void scrollToTheEnd(EdgePanelView& view) {
        QScrollBar* bar = view.scrollArea()->verticalScrollBar();
        for (int i = 0; i < 50 && view.tapes().size() < view.shownIDs().size(); ++i) {
            settle();
            bar->setValue(bar->maximum());
            settle();
        }
    }

    // The built tapes are the first of the listed ones, in the layout in that
    // order, each holding the store's record and open only when it is the open one.
    void expectTapesFollowTheStore(const EdgePanelView& view) {
        const QList<PanelTape*> tapes = view.tapes();
        ASSERT_LE(tapes.size(), view.shownIDs().size());
        const QLayout* list = view.scrollArea()->widget()->layout();
        for (qsizetype i = 0; i < tapes.size(); ++i) {
            const PanelTape* tape = tapes.at(i);
            EXPECT_EQ(tape->project().id, view.shownIDs().at(i)) << "tape " << i;
            const AudioProject* stored = store.project(tape->project().id);
            ASSERT_NE(stored, nullptr) << "tape " << i;
            EXPECT_TRUE(tape->project() == *stored) << "tape " << i << " shows an old record";
            EXPECT_EQ(list->itemAt(int(i))->widget(), tape) << "tape " << i << " is laid out elsewhere";
            EXPECT_EQ(tape->isExpanded(), view.expandedID() == tape->project().id) << "tape " << i;
        }
    }

    AudioProject randomProject(QRandomGenerator& random) {
        return store.projects().at(random.bounded(int(store.projects().size())));
    }

    void addLibrary(int size) {
        for (int i = 0; i < size; ++i) {
            AudioProject project = AudioProject::make(QStringLiteral("Tape %1").arg(i), ProjectType::musicID);
            project.updatedAt = QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC).addSecs(i * 60);
            if (i % 7 == 3) {
                project.status = ProjectStatus::Done;
                project.completedAt = project.updatedAt.addDays(i % 4);
            }
            store.addProject(project);
        }
    }
};

TEST_F(EdgePanelViewChangesTest, OnlyTheFirstTapesAreBuiltAndScrollingBuildsTheRest) {
    addLibrary(120);
    EdgePanelView& view = openView();
    settle();
    const qsizetype listed = EdgePanelView::count(store.projects(), Tab::Active);
    ASSERT_EQ(view.shownIDs().size(), listed);
    EXPECT_EQ(view.shownIDs(), DrawnOrder::ids(activeSorted(store.projects())));
    EXPECT_GE(view.tapes().size(), EdgePanelView::pageSize);
    EXPECT_LT(view.tapes().size(), listed);
    expectTapesFollowTheStore(view);

    scrollToTheEnd(view);
    EXPECT_EQ(view.tapes().size(), listed);
    expectTapesFollowTheStore(view);
}

TEST_F(EdgePanelViewChangesTest, AChangedTapeMovesWithoutAnyTapeBeingBuiltAgain) {
    addLibrary(12);
    EdgePanelView& view = openView();
    settle();
    QList<QPointer<PanelTape>> before;
    for (PanelTape* tape : view.tapes())
        before << tape;
    const QUuid lowest = view.shownIDs().last();

    store.update(lowest, [](AudioProject& p) {
        p.name = QStringLiteral("Renamed");
        p.touch();
    });
    settle();
    ASSERT_EQ(view.shownIDs().first(), lowest);
    ASSERT_EQ(view.tapes().size(), before.size());
    EXPECT_EQ(view.tapes().first(), before.last().data());
    EXPECT_EQ(view.tapes().first()->project().name, QStringLiteral("Renamed"));
    for (qsizetype i = 0; i + 1 < before.size(); ++i)
        EXPECT_EQ(view.tapes().at(i + 1), before.at(i).data()) << "tape " << i;
    expectTapesFollowTheStore(view);
}

// A tape being typed in keeps its widget, and the half-typed note with it, even
// when a change moves it far past the tapes that are built.
TEST_F(EdgePanelViewChangesTest, ATapeBeingTypedInStaysBuiltWhereverItMoves) {
    addLibrary(60);
    EdgePanelView& view = openView();
    settle();
    QPointer<PanelTape> typing = view.tapes().first();
    typing->setExpanded(true);
    QWidget* window = view.window();
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    typing->noteField()->setFocus();
    settle();
    ASSERT_TRUE(typing->noteField()->hasFocus());
    typing->noteField()->setText(QStringLiteral("half a note"));
    const qsizetype builtBefore = view.tapes().size();

    const QUuid id = typing->project().id;
    store.update(id, [](AudioProject& p) { p.updatedAt = QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC); });
    settle();
    ASSERT_EQ(view.shownIDs().last(), id);
    ASSERT_GT(view.shownIDs().size(), builtBefore);
    ASSERT_FALSE(typing.isNull());
    EXPECT_TRUE(view.tapes().contains(typing.data()));
    EXPECT_EQ(typing->noteField()->text(), QStringLiteral("half a note"));
    expectTapesFollowTheStore(view);
}

TEST_F(EdgePanelViewChangesTest, AfterRandomChangesTheTapesAreThoseOfAFreshPanel) {
    addLibrary(60);
    EdgePanelView& view = openView();
    settle();
    QRandomGenerator random(22);
    const QList<ProjectStatus> statuses{ProjectStatus::NotStarted, ProjectStatus::InProgress, ProjectStatus::Review,
                                        ProjectStatus::Done};
    for (int step = 0; step < 160; ++step) {
        const QList<QUuid> drawn = view.shownIDs();
        const AudioProject target = randomProject(random);
        switch (random.bounded(10)) {
        case 0:
            store.update(target.id, [](AudioProject& p) {
                p.manualProgress = p.manualProgress >= 1 ? 0 : p.manualProgress + 0.1;
                p.touch();
            });
            break;
        case 1:
            store.update(target.id, [&](AudioProject& p) {
                p.status = statuses.at(random.bounded(int(statuses.size())));
                p.completedAt =
                    p.status == ProjectStatus::Done ? std::optional(p.updatedAt.addDays(step % 5)) : std::nullopt;
                p.touch();
            });
            break;
        case 2: store.setFocus(target.id); break;
        case 3: add(QStringLiteral("Added %1").arg(step)); break;
        case 4:
            if (store.projects().size() > 20)
                store.deleteProjects({target.id});
            break;
        case 5:
            store.update(target.id, [&](AudioProject& p) { p.name = QStringLiteral("Renamed %1").arg(step); });
            break;
        case 6: view.setTab(view.tab() == Tab::Active ? Tab::Done : Tab::Active); break;
        case 7:
            if (!view.shownIDs().isEmpty())
                view.tapTape(view.shownIDs().at(random.bounded(int(view.shownIDs().size()))));
            break;
        case 8:
            if (view.holdsOrder()) {
                QEvent leave(QEvent::Leave);
                QApplication::sendEvent(&view, &leave);
            } else {
                QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
                QApplication::sendEvent(&view, &enter);
            }
            break;
        case 9: scrollToTheEnd(view); break;
        }
        settle();
        SCOPED_TRACE(step);
        // The active tab lists the shelf's order.
        const QList<AudioProject> fresh = view.tab() == Tab::Active ? activeSorted(store.projects())
                                                                    : EdgePanelView::rows(store.projects(), Tab::Done);
        if (view.holdsOrder()) {
            EXPECT_EQ(view.shownIDs(), DrawnOrder::ids(DrawnOrder::keep(drawn, fresh)));
        } else {
            EdgePanelView rebuilt(*controller);
            rebuilt.setTab(view.tab());
            EXPECT_EQ(view.shownIDs(), rebuilt.shownIDs());
            EXPECT_EQ(view.shownIDs(), DrawnOrder::ids(fresh));
        }
        expectTapesFollowTheStore(view);
        if (HasFailure())
            break;
    }
}

} // namespace
} // namespace sorvel::test
