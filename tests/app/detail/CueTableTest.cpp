#include "CueTableFixture.h"

#include "app/detail/CueTableFooter.h"
#include "app/detail/DragAutoScroll.h"
#include "app/detail/DurationChip.h"
#include "core/CueTime.h"
#include "core/RecordCoding.h"
#include "studio/PlainSymbolButton.h"

#include <QCursor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QVariantAnimation>
#include <QWheelEvent>
#include <QWindow>

namespace sorvel::test {
namespace {

class CueTableReorderTest : public CueTableTest {
protected:
    void SetUp() override {
        CueTableTest::SetUp();
        open({namedCue("A"), namedCue("B"), namedCue("C"), namedCue("D")});
        before = stored().updatedAt;
    }

    // Sends a drag of `text` over the row at `index`, as the window system
    // does, and ends it there with a drop or by leaving: the application
    // hands drag moves to the widget that took the last drag enter until a
    // drop or a leave, and would hand a later test's to this table once gone.
    bool dragOver(const QString& text, int index, bool drop) {
        QMimeData data;
        data.setText(text);
        const QPoint at = table->rowRect(index).center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(table.get(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(table.get(), &move);
        if (!drop) {
            QDragLeaveEvent leave;
            QApplication::sendEvent(table.get(), &leave);
            return move.isAccepted();
        }
        QDropEvent dropped(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(table.get(), &dropped);
        return dropped.isAccepted() && dropped.dropAction() == Qt::MoveAction;
    }

    QDateTime before;
};

TEST_F(CueTableReorderTest, TheDraggedCueTakesTheTargetsPlaceWithoutStampingTheProject) {
    table->move(idOf("A"), idOf("C"));
    EXPECT_EQ(storedNumbers().join(','), "B,C,A,D");
    table->move(idOf("A"), idOf("D"));
    EXPECT_EQ(storedNumbers().join(','), "B,C,D,A"); // onto the last row, not past it
    table->move(idOf("D"), idOf("B"));
    EXPECT_EQ(storedNumbers().join(','), "D,B,C,A");
    table->move(idOf("C"), idOf("C"));
    table->move(idOf("C"), QUuid::createUuid());
    EXPECT_EQ(storedNumbers().join(','), "D,B,C,A");
    EXPECT_EQ(rowNumbers(), storedNumbers());
    EXPECT_EQ(stored().updatedAt, before);
}

TEST_F(CueTableReorderTest, MovingUpLandsBeforeTheTarget) {
    table->move(idOf("D"), idOf("B"));
    EXPECT_EQ(storedNumbers().join(','), "A,D,B,C");
    EXPECT_EQ(stored().updatedAt, before);
}

TEST_F(CueTableReorderTest, ADragWalksTheRowsLiveAndKeepsEveryRowWidget) {
    const QList<CueRow*> rowsBefore = table->rows();
    const QUuid a = idOf("A");
    QStringList seen;
    Qt::DropAction result = Qt::IgnoreAction;
    table->setDragRunner([&](QDrag& drag) {
        EXPECT_EQ(drag.mimeData()->text(), RecordCoding::idText(a));
        EXPECT_EQ(table->draggingID(), a);
        dragOver(drag.mimeData()->text(), 2, false);
        seen.append(storedNumbers().join(','));
        result = dragOver(drag.mimeData()->text(), 3, true) ? Qt::MoveAction : Qt::IgnoreAction;
        seen.append(storedNumbers().join(','));
        return result;
    });
    table->startDrag(a);

    EXPECT_EQ(seen.join('|'), "B,C,A,D|B,C,D,A");
    EXPECT_EQ(result, Qt::MoveAction);
    EXPECT_FALSE(table->draggingID().has_value());
    QList<CueRow*> sortedBefore = rowsBefore, sortedAfter = table->rows();
    std::sort(sortedBefore.begin(), sortedBefore.end());
    std::sort(sortedAfter.begin(), sortedAfter.end());
    EXPECT_EQ(sortedAfter, sortedBefore); // moved, never rebuilt
    EXPECT_EQ(stored().updatedAt, before);
}

TEST_F(CueTableReorderTest, RowsMakingWayForADraggedCueNeverPassOverEachOther) {
    const QUuid a = idOf("A");
    CueRow* dragged = table->row(a);
    QStringList overlaps;
    bool hiddenWhileDragged = false;
    bool settled = false;
    table->setDragRunner([&](QDrag& drag) {
        hiddenWhileDragged = !dragged->isVisible();
        // From the first place to the last in one move: three rows glide up at once.
        dragOver(drag.mimeData()->text(), 3, false);
        settled = waitUntil(
            [&] {
                const QList<CueRow*> rows = table->rows();
                bool still = true;
                for (int i = 0; i < rows.size(); ++i) {
                    still = still && rows.at(i)->y() == table->rowRect(i).top();
                    for (int j = 0; j < i; ++j) {
                        if (rows.at(i)->isVisible() && rows.at(j)->isVisible()
                            && rows.at(i)->geometry().intersects(rows.at(j)->geometry()))
                            overlaps.append(rows.at(i)->cue().number + rows.at(j)->cue().number);
                    }
                }
                return still;
            },
            2000);
        return Qt::MoveAction;
    });
    table->startDrag(a);

    EXPECT_TRUE(hiddenWhileDragged) << "the dragged cue's row stays in sight under the rows that move";
    EXPECT_TRUE(settled);
    EXPECT_TRUE(overlaps.isEmpty()) << overlaps.join(' ').toStdString();
    EXPECT_EQ(storedNumbers().join(','), "B,C,D,A");
    // Once the drag is over the cue's row is back at its new place.
    EXPECT_TRUE(dragged->isVisible());
    EXPECT_EQ(dragged->y(), table->rowRect(3).top());
}

TEST_F(CueTableReorderTest, ADragThatEndsAwayFromItsRowTakesTheDeleteButtonAway) {
    CueRow* dragged = table->row(idOf("A"));
    QCursor::setPos(dragged->mapToGlobal(dragged->rect().center()));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(dragged, &enter);
    ASSERT_TRUE(dragged->deleteButton()->isVisible());

    // The pointer goes below the table; the window system sends the row no leave after a drag.
    table->setDragRunner([&](QDrag&) {
        QCursor::setPos(table->mapToGlobal(QPoint(10, table->height() + 40)));
        return Qt::IgnoreAction;
    });
    table->startDrag(idOf("A"));
    EXPECT_FALSE(dragged->isHovering());
    EXPECT_FALSE(dragged->deleteButton()->isVisible());

    // A drag that ends over another row shows that row's button instead.
    CueRow* target = table->row(idOf("C"));
    table->setDragRunner([&](QDrag&) {
        QCursor::setPos(target->mapToGlobal(target->rect().center()));
        return Qt::IgnoreAction;
    });
    table->startDrag(idOf("A"));
    EXPECT_TRUE(target->deleteButton()->isVisible());
    EXPECT_FALSE(dragged->deleteButton()->isVisible());
}

TEST_F(CueTableReorderTest, AChangeMadeWithThePointerElsewhereTakesTheDeleteButtonAway) {
    CueRow* changed = table->row(idOf("B"));
    QCursor::setPos(changed->mapToGlobal(changed->rect().center()));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(changed, &enter);
    ASSERT_TRUE(changed->deleteButton()->isVisible());

    // The stage menu took the pointer away and closed without a leave for the row.
    QCursor::setPos(table->mapToGlobal(QPoint(10, table->height() + 40)));
    store.setCueStage(projectID, idOf("B"), CueStage::Mixed);
    ASSERT_TRUE(waitUntil([&] { return !changed->deleteButton()->isVisible(); }, 2000));
    EXPECT_FALSE(changed->isHovering());
}

TEST_F(CueTableReorderTest, ForeignTextAndADragThatEndedElsewhereMoveNothing) {
    // A drag that ends outside the rows leaves no drag id behind.
    const QUuid a = idOf("A");
    table->setDragRunner([](QDrag&) { return Qt::IgnoreAction; });
    table->startDrag(a);
    EXPECT_FALSE(table->draggingID().has_value());

    const QList<AudioProject> projectsBefore = store.projects();
    EXPECT_FALSE(dragOver(QStringLiteral("some words from an editor"), 2, true));
    EXPECT_FALSE(dragOver(RecordCoding::idText(a), 3, true)); // even text that spells a cue id
    EXPECT_EQ(store.projects(), projectsBefore);
    EXPECT_EQ(storedNumbers().join(','), "A,B,C,D");
}

TEST_F(CueTableTest, AddingACueNumbersItStampsTheProjectAndFocusesItsTitle) {
    open({namedCue("1M01", "Opening")});
    const QDateTime before = stored().updatedAt;
    table->activateWindow();
    clickAt(table->footer()->addButton(), table->footer()->addButton()->rect().center());

    ASSERT_EQ(stored().items.size(), 2);
    const Cue& added = stored().items.last();
    EXPECT_EQ(str(added.number), "1M02");
    EXPECT_TRUE(added.title.isEmpty());
    EXPECT_GT(stored().updatedAt, before);
    ASSERT_TRUE(waitUntil([&] { return table->focus().has_value(); }, 1000));
    EXPECT_EQ(table->focus(), (CueFocus{added.id, CueFocus::Field::Title}));
    EXPECT_EQ(str(table->footer()->countText()), "2 段");
}

TEST_F(CueTableTest, AProjectWithoutCuesShowsHeaderAndAnEmptyFooter) {
    open({});
    EXPECT_TRUE(table->isShowingProject());
    EXPECT_TRUE(table->rows().isEmpty());
    EXPECT_EQ(str(table->footer()->countText()), "0 段");
    EXPECT_EQ(str(table->footer()->totalText()), "合计 0′00″");
    EXPECT_EQ(table->sizeHint().height(), CueTable::headerHeight + CueTableFooter::height);

    CueTable missing(store, QUuid::createUuid(), true);
    EXPECT_FALSE(missing.isShowingProject());
    EXPECT_EQ(missing.sizeHint().height(), 0);
}

TEST_F(CueTableTest, TheFooterSumsDurationsWithoutOverflowAndNegativesReadZero) {
    Cue huge = namedCue("1");
    huge.duration = std::numeric_limits<qint64>::max();
    Cue more = namedCue("2");
    more.duration = 10;
    open({huge, more});
    // The huge length counts as the longest a cue shows.
    EXPECT_EQ(stored().totalDuration(), CueTime::longest + 10);
    EXPECT_EQ(str(table->footer()->totalText()), "合计 100h00′09″");
    EXPECT_FALSE(table->footer()->totalText().contains(QLatin1Char('-')));

    store.updateCue(projectID, huge.id, [](Cue& c) { c.duration = -500; });
    store.updateCue(projectID, more.id, [](Cue& c) { c.duration = std::nullopt; });
    EXPECT_EQ(str(table->footer()->totalText()), "合计 0′00″");
    EXPECT_EQ(str(table->row(huge.id)->durationChip()->displayText()), "00:00");
}

TEST_F(CueTableTest, DeletingARowRemovesTheCueWithoutStampingAndTheRowGoesLater) {
    open({namedCue("1"), namedCue("2")});
    const QDateTime before = stored().updatedAt;
    CueRow* first = table->rows().first();
    QPointer<CueRow> watched(first);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(first, &enter);
    ASSERT_TRUE(first->deleteButton()->isVisible());
    clickAt(first->deleteButton(), first->deleteButton()->rect().center());

    EXPECT_EQ(storedNumbers().join(','), "2");
    EXPECT_EQ(stored().updatedAt, before);
    EXPECT_EQ(rowNumbers().join(','), "2");
    EXPECT_TRUE(watched); // still alive right after its own click
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(watched);
}

TEST_F(CueTableTest, AGoneRowTakesTheKeyboardWithItInsteadOfGivingItToTheNextCue) {
    open({namedCue("1", "Opening"), namedCue("2", "Chase")});
    table->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return table->isActiveWindow(); }, 2000));
    CueRow* first = table->rows().at(0);

    // The delete button keeps the keyboard after its click, as any button does.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(first, &enter);
    first->deleteButton()->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(first->deleteButton()->hasFocus());
    clickAt(first->deleteButton(), first->deleteButton()->rect().center());
    ASSERT_EQ(rowNumbers().join(','), "2");
    // The next keystroke must not replace the other cue's number.
    EXPECT_FALSE(table->isAncestorOf(QApplication::focusWidget()));
    typeInto(QApplication::focusWidget() ? QApplication::focusWidget() : table.get(), QStringLiteral("x"));
    EXPECT_EQ(storedNumbers().join(','), "2");
    EXPECT_EQ(str(stored().items.first().title), "Chase");

    // The same when the cue goes from elsewhere while its title is being typed.
    open({namedCue("1", "Opening"), namedCue("2", "Chase")});
    table->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return table->isActiveWindow(); }, 2000));
    table->rows().at(0)->focusField(CueFocus::Field::Title);
    const QUuid gone = stored().items.first().id;
    store.update(projectID,
                 [&gone](AudioProject& p) { p.items.removeIf([&gone](const Cue& c) { return c.id == gone; }); });
    EXPECT_FALSE(table->isAncestorOf(QApplication::focusWidget()));
}

// Forty cues numbered 1 to 40.
QList<Cue> fortyCues() {
    QList<Cue> cues;
    for (int i = 1; i <= 40; ++i)
        cues.append(namedCue(QString::number(i)));
    return cues;
}

// The table in a scrolling pane 300 px high, shown. The fixture deletes the
// table: the pane gives it back before it goes.
struct ShownInAPane {
    explicit ShownInAPane(QWidget* table) {
        pane.setWidgetResizable(true);
        pane.setWidget(table);
        pane.resize(900, 300);
        pane.show();
    }
    ~ShownInAPane() { pane.takeWidget(); }
    QScrollArea pane;
};

TEST_F(CueTableTest, ADragHeldAtTheEdgeOfItsPaneScrollsItAndTheWheelFollowsSoOneDragReachesAnyPlace) {
    open(fortyCues());
    ShownInAPane shown(table.get());
    QScrollArea& pane = shown.pane;
    ASSERT_TRUE(waitUntil([&] { return pane.windowHandle() && pane.windowHandle()->isExposed(); }, 2000));
    QScrollBar* bar = pane.verticalScrollBar();
    bar->setValue(bar->maximum());
    const QUuid dragged = idOf("38");
    QWidget* viewport = pane.viewport();
    // Over a row, as the window system tells the table where the drag is.
    const auto dragTo = [&](const QMimeData* data, const QPoint& global) {
        QCursor::setPos(global);
        const QPoint at = table->mapFromGlobal(global);
        QDragMoveEvent move(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(table.get(), &move);
    };
    const auto indexOfDragged = [&] { return storedNumbers().indexOf(QStringLiteral("38")); };

    bool reachedTheTop = false;
    bool followedTheWheel = false;
    int scrolledTo = 0;
    table->setDragRunner([&](QDrag& drag) {
        // The drag starts over the table, which takes it as it enters and only then hears where it moves.
        const QPoint top = viewport->mapToGlobal(QPoint(300, 3));
        QDragEnterEvent enter(table->mapFromGlobal(top), Qt::MoveAction, drag.mimeData(), Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(table.get(), &enter);
        // Held at the top edge of the pane, the drag scrolls it up to the first cue, a few rows a second.
        dragTo(drag.mimeData(), top);
        reachedTheTop = waitUntil([&] { return bar->value() == 0 && indexOfDragged() == 0; }, 30000);

        // Away from the edges nothing scrolls; the wheel does, and the cue follows to the row under the pointer.
        const QPoint middle = viewport->mapToGlobal(QPoint(300, viewport->height() / 2));
        dragTo(drag.mimeData(), middle);
        const int still = bar->value();
        QWheelEvent wheel(viewport->mapFromGlobal(QPointF(middle)), QPointF(middle), QPoint(), QPoint(0, -360),
                          Qt::LeftButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        scrolledTo = bar->value();
        const int under = table->mapFromGlobal(middle).y();
        followedTheWheel = scrolledTo > still && table->rowRect(indexOfDragged()).contains(QPoint(10, under));
        // Dropped where it is, which ends the drag for the application too.
        QDropEvent drop(table->mapFromGlobal(middle), Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(table.get(), &drop);
        return Qt::MoveAction;
    });
    table->startDrag(dragged);

    EXPECT_TRUE(reachedTheTop) << "scrolled to " << bar->value() << ", cue 38 at " << indexOfDragged();
    EXPECT_TRUE(followedTheWheel) << "scrolled to " << scrolledTo << ", cue 38 at " << indexOfDragged();
    // Once the drag is over, the wheel is the pane's own again and the edge scrolls nothing.
    const int after = bar->value();
    QCursor::setPos(viewport->mapToGlobal(QPoint(300, 3)));
    waitForQueuedEvents();
    EXPECT_EQ(bar->value(), after);
    EXPECT_EQ(stored().items.size(), 40);
}

TEST_F(CueTableTest, ADragHeldAtTheEdgeScrollsSlowlyEnoughToStopOnARow) {
    open(fortyCues());
    ShownInAPane shown(table.get());
    QScrollArea& pane = shown.pane;
    ASSERT_TRUE(waitUntil([&] { return pane.windowHandle() && pane.windowHandle()->isExposed(); }, 2000));
    QScrollBar* bar = pane.verticalScrollBar();
    ASSERT_EQ(bar->value(), 0);
    const int rowPitch = CueRow::rowHeight + CueTable::ruleHeight;
    // Past the bottom edge: the fastest it goes.
    const QPoint pastTheEdge = pane.viewport()->mapToGlobal(QPoint(300, pane.viewport()->height() + 20));

    qint64 elapsedMs = 0;
    bool scrolled = false;
    table->setDragRunner([&](QDrag&) {
        QCursor::setPos(pastTheEdge);
        QElapsedTimer clock;
        clock.start();
        scrolled = waitUntil([&] { return bar->value() >= 3 * rowPitch; }, 10000);
        elapsedMs = clock.elapsed();
        return Qt::IgnoreAction;
    });
    table->startDrag(idOf("1"));

    ASSERT_TRUE(scrolled) << "scrolled to " << bar->value();
    // Three rows take at least as long as the top speed allows, however busy the machine.
    const qreal rowsPerSecond = 3.0 * 1000 / qreal(std::max<qint64>(elapsedMs, 1));
    EXPECT_LE(rowsPerSecond, DragAutoScroll::fastestRowsPerSecond * 1.05) << elapsedMs << " ms for three rows";
    EXPECT_LE(DragAutoScroll::fastestRowsPerSecond, 5) << "no more than a few rows a second";

    // Faster the deeper in the edge's band, in proportion; fastest at and past the edge, still in the middle.
    EXPECT_EQ(DragAutoScroll::speedAt(150, 0, 299), 0);
    EXPECT_EQ(DragAutoScroll::speedAt(0, 0, 299), -DragAutoScroll::fastestRowsPerSecond);
    EXPECT_EQ(DragAutoScroll::speedAt(-50, 0, 299), -DragAutoScroll::fastestRowsPerSecond);
    EXPECT_DOUBLE_EQ(DragAutoScroll::speedAt(DragAutoScroll::edgeBand / 2, 0, 299),
                     -DragAutoScroll::fastestRowsPerSecond / 2);
    EXPECT_DOUBLE_EQ(DragAutoScroll::speedAt(299 - DragAutoScroll::edgeBand / 4, 0, 299),
                     DragAutoScroll::fastestRowsPerSecond * 3 / 4);
    EXPECT_EQ(DragAutoScroll::speedAt(400, 0, 299), DragAutoScroll::fastestRowsPerSecond);
}

} // namespace
} // namespace sorvel::test
