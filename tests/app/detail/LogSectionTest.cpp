#include "DetailFixture.h"

#include "app/detail/LogRow.h"
#include "app/detail/LogSection.h"
#include "studio/PlainSymbolButton.h"
#include "studio/SilentScrollColumn.h"
#include "studio/Studio.h"

#include <QCursor>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace sorvel::test {
namespace {

QList<LogEntry> entries(int count) {
    QList<LogEntry> log;
    for (int i = 0; i < count; ++i)
        log << LogEntry{QUuid::createUuid(), Clock::now().addDays(-i), QStringLiteral("entry %1").arg(i), 0.1};
    return log;
}

class LogSectionTest : public DetailTest {
protected:
    LogSection* section() const { return pane->logSection(); }
    QStringList shownTexts() const {
        QStringList texts;
        for (const LogRow* row : section()->rows())
            texts << row->textLabel()->text();
        return texts;
    }
};

TEST_F(LogSectionTest, RecordAddsTheTrimmedTextWithTheCurrentProgressAndClearsTheField) {
    const AudioProject project = test::project(QStringLiteral("Log"), [&](AudioProject& p) {
        p.status = ProjectStatus::NotStarted;
        p.progressMode = ProgressMode::Manual;
        p.manualProgress = 0.25;
        p.updatedAt = earlier;
    });
    open(project);
    section()->field()->setText(QStringLiteral("  混音返工\u3000\t "));
    section()->addButton()->click();

    const AudioProject after = stored(project.id);
    ASSERT_EQ(after.log.size(), 1);
    EXPECT_EQ(after.log.first().text, QStringLiteral("混音返工"));
    EXPECT_DOUBLE_EQ(after.log.first().progress, 0.25);
    EXPECT_LE(std::abs(after.log.first().date.secsTo(Clock::now())), 2);
    EXPECT_GT(after.updatedAt, earlier);
    EXPECT_EQ(after.status, ProjectStatus::InProgress);
    EXPECT_TRUE(section()->field()->text().isEmpty());
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("混音返工")});

    section()->field()->setText(QStringLiteral("newest"));
    typeKey(section()->field(), Qt::Key_Return);
    EXPECT_EQ(stored(project.id).log.first().text, QStringLiteral("newest")) << "Return records too, at the top";
}

TEST_F(LogSectionTest, ABlankEntryAddsNothingAndStaysInTheField) {
    const AudioProject project =
        test::project(QStringLiteral("Blank"), [&](AudioProject& p) { p.updatedAt = earlier; });
    open(project);
    EXPECT_FALSE(section()->addButton()->isEnabled());
    section()->field()->setText(QStringLiteral(" \t\u3000 "));
    EXPECT_FALSE(section()->addButton()->isEnabled());
    typeKey(section()->field(), Qt::Key_Return);
    section()->addLog();
    EXPECT_TRUE(stored(project.id).log.isEmpty());
    EXPECT_EQ(stored(project.id).updatedAt, earlier);
    EXPECT_EQ(section()->field()->text(), QStringLiteral(" \t\u3000 "));
    section()->field()->setText(QStringLiteral("x"));
    EXPECT_TRUE(section()->addButton()->isEnabled());
}

TEST_F(LogSectionTest, ShowAllFromSixEntriesAndCollapseAgain) {
    const AudioProject five = test::project(QStringLiteral("Five"), [](AudioProject& p) { p.log = entries(5); });
    open(five);
    EXPECT_EQ(section()->rows().size(), 5);
    EXPECT_TRUE(section()->toggleButton()->isHidden());

    store.update(five.id, [](AudioProject& p) { p.log = entries(12); });
    EXPECT_EQ(section()->rows().size(), 5);
    EXPECT_EQ(shownTexts().first(), QStringLiteral("entry 0")) << "newest first";
    EXPECT_FALSE(section()->toggleButton()->isHidden());
    EXPECT_EQ(section()->toggleButton()->text(), QStringLiteral("显示全部 12 条"));

    section()->toggleButton()->click();
    EXPECT_EQ(section()->rows().size(), 12);
    EXPECT_EQ(section()->toggleButton()->text(), QStringLiteral("收起"));
    section()->toggleButton()->click();
    EXPECT_EQ(section()->rows().size(), 5);
    EXPECT_EQ(section()->toggleButton()->text(), QStringLiteral("显示全部 12 条"));

    EXPECT_EQ(LogSection::toggleTitle(6, false), QStringLiteral("显示全部 6 条"));
    EXPECT_FALSE(LogSection::toggleTitle(5, true).has_value());
}

TEST_F(LogSectionTest, DeletingAnEntryRemovesOnlyItWithoutStamping) {
    const QList<LogEntry> log = entries(3);
    const AudioProject project = test::project(QStringLiteral("Delete"), [&](AudioProject& p) {
        p.log = log;
        p.updatedAt = earlier;
    });
    open(project).show();
    LogRow* middle = section()->rows().at(1);
    EXPECT_FALSE(middle->deleteButton()->isVisible()) << "hidden until the pointer is over the row";
    const int width = middle->textLabel()->width();

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), middle->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(middle, &enter);
    ASSERT_TRUE(middle->deleteButton()->isVisible());
    EXPECT_EQ(middle->textLabel()->width(), width) << "the button had kept its place";
    EXPECT_EQ(middle->deleteButton()->toolTip(), QStringLiteral("删除这条记录"));
    clickAt(middle->deleteButton(), QRectF(middle->deleteButton()->rect()).center());
    QApplication::processEvents(); // the pressed row goes away once its click is over

    EXPECT_EQ(stored(project.id).log, (QList<LogEntry>{log.at(0), log.at(2)}));
    EXPECT_EQ(stored(project.id).updatedAt, earlier);
    EXPECT_EQ(shownTexts(), (QStringList{QStringLiteral("entry 0"), QStringLiteral("entry 2")}));
}

TEST_F(LogSectionTest, ADateWithItsYearKeepsTheRowsInLine) {
    open(test::project(QStringLiteral("Years"), [](AudioProject& p) {
        p.log = {LogEntry{QUuid::createUuid(), Clock::now(), QStringLiteral("this year"), 0.2},
                 LogEntry{QUuid::createUuid(), Clock::now().addDays(-400), QStringLiteral("last year"), 0.1}};
    })).show();
    QApplication::processEvents();
    const QList<LogRow*> rows = section()->rows();
    ASSERT_EQ(rows.size(), 2);
    ASSERT_GT(rows.at(1)->dateLabel()->text().size(), rows.at(0)->dateLabel()->text().size()) << "one shows a year";
    const auto textLeft = [&](const LogRow* row) { return row->textLabel()->mapTo(pane.get(), QPoint()).x(); };
    EXPECT_EQ(textLeft(rows.at(0)), textLeft(rows.at(1)));
    EXPECT_GE(rows.at(1)->dateLabel()->width(),
              rows.at(1)->dateLabel()->fontMetrics().horizontalAdvance(rows.at(1)->dateLabel()->text()))
        << "the year is not cut";
}

TEST_F(LogSectionTest, TheDeleteButtonFollowsThePointerWhenTheLogScrollsUnderIt) {
    ProjectDetailView& view =
        open(test::project(QStringLiteral("Scroll"), [](AudioProject& p) { p.log = entries(12); }));
    section()->toggleButton()->click();
    view.resize(600, 420);
    view.show();
    QApplication::processEvents();
    QScrollArea* scroll = view.findChild<SilentScrollColumn*>();
    ASSERT_TRUE(scroll);
    scroll->ensureWidgetVisible(section()->rows().at(3));
    QApplication::processEvents();

    LogRow* hovered = section()->rows().at(3);
    const QPoint pointer = hovered->mapToGlobal(hovered->rect().center());
    QCursor::setPos(pointer);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), pointer);
    QApplication::sendEvent(hovered, &enter);
    ASSERT_TRUE(hovered->deleteButton()->isVisible());

    // A wheel turn moves the rows, not the pointer: no leave or enter event comes.
    QScrollBar* bar = scroll->verticalScrollBar();
    bar->setValue(bar->value() + 2 * hovered->height() + 4);
    EXPECT_FALSE(hovered->deleteButton()->isVisible());
    const auto under = std::find_if(section()->rows().cbegin(), section()->rows().cend(), [&](const LogRow* row) {
        return row->rect().contains(row->mapFromGlobal(pointer));
    });
    ASSERT_NE(under, section()->rows().cend());
    EXPECT_NE(*under, hovered);
    EXPECT_TRUE((*under)->deleteButton()->isVisible()) << "the row now under the pointer offers its button";
}

TEST_F(LogSectionTest, TheKeyboardAloneReachesAndPressesTheDeleteButton) {
    const QList<LogEntry> log = entries(3);
    const AudioProject project = test::project(QStringLiteral("Keys"), [&](AudioProject& p) { p.log = log; });
    open(project).show();
    QApplication::processEvents();
    // The pointer is nowhere near the rows.
    QCursor::setPos(section()->field()->mapToGlobal(section()->field()->rect().center()));
    LogRow* first = section()->rows().at(0);
    LogRow* second = section()->rows().at(1);
    ASSERT_FALSE(first->isHovering());
    ASSERT_FALSE(first->deleteButton()->isVisible());

    // Tab from the empty field (its record button is off) comes to the first entry's delete button.
    section()->field()->setFocus(Qt::TabFocusReason);
    typeKey(section()->field(), Qt::Key_Tab);
    ASSERT_TRUE(first->deleteButton()->hasFocus()) << "Tab went to " << QApplication::focusWidget();
    EXPECT_TRUE(first->deleteButton()->isVisible());
    EXPECT_FALSE(second->deleteButton()->isVisible());
    // Its ring, two pixels all round, is in the accent.
    const QColor tint = Studio::tint(first->deleteButton());
    const QImage focused = first->deleteButton()->grab().toImage();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), second->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(second, &enter);
    ASSERT_TRUE(second->deleteButton()->isVisible());
    EXPECT_GE(pixelsNear(focused, tint) - pixelsNear(second->deleteButton()->grab().toImage(), tint),
              2 * (first->deleteButton()->width() + first->deleteButton()->height()));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(second, &leave);

    // Tab goes on to the next entry's button, which shows while the first one goes.
    typeKey(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(second->deleteButton()->hasFocus()) << "Tab went to " << QApplication::focusWidget();
    EXPECT_TRUE(second->deleteButton()->isVisible());
    EXPECT_FALSE(first->deleteButton()->isVisible());
    // Shift+Tab comes back to the first.
    typeKey(QApplication::focusWidget(), Qt::Key_Backtab, {}, Qt::ShiftModifier);
    ASSERT_TRUE(first->deleteButton()->hasFocus()) << "Shift+Tab went to " << QApplication::focusWidget();
    EXPECT_TRUE(first->deleteButton()->isVisible());
    EXPECT_FALSE(second->deleteButton()->isVisible());

    // Return presses it: the entry goes, and the keyboard goes with its row
    // rather than on to the next entry's delete button.
    typeKey(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(stored(project.id).log, (QList<LogEntry>{log.at(1), log.at(2)}));
    EXPECT_EQ(shownTexts(), (QStringList{QStringLiteral("entry 1"), QStringLiteral("entry 2")}));
    for (const LogRow* row : section()->rows())
        EXPECT_FALSE(row->isAncestorOf(QApplication::focusWidget())) << "the keyboard went to another entry";

    // Space presses it too.
    section()->field()->setFocus(Qt::TabFocusReason);
    typeKey(section()->field(), Qt::Key_Tab);
    ASSERT_TRUE(section()->rows().first()->deleteButton()->hasFocus());
    typeKey(QApplication::focusWidget(), Qt::Key_Space, QStringLiteral(" "));
    EXPECT_EQ(stored(project.id).log, (QList<LogEntry>{log.at(2)}));
}

TEST_F(LogSectionTest, ALongEntryWrapsAndTheRowGrowsToShowAllOfIt) {
    const QString longText =
        QStringLiteral("和导演过了一遍粗剪，追逐段落要更紧张，弦乐再加一层颤音，铜管在第二十四小节进来，"
                       "结尾留三秒空白给音效，再把整体音量提高两个分贝。");
    ProjectDetailView& view = open(test::project(QStringLiteral("Long"), [&](AudioProject& p) {
        p.log = {LogEntry{QUuid::createUuid(), Clock::now(), longText, 0.2}};
    }));
    view.show();
    QApplication::processEvents();

    QLabel* text = section()->rows().first()->textLabel();
    const int lineHeight = text->fontMetrics().height();
    ASSERT_GT(text->fontMetrics().horizontalAdvance(longText), text->width()) << "the text needs more than one line";
    EXPECT_GE(text->height(), text->heightForWidth(text->width()));
    EXPECT_GE(text->height(), 2 * lineHeight) << "no line is cut off";

    // A word longer than the row (a pasted link) breaks too and widens nothing.
    store.update(view.projectID(), [](AudioProject& p) { p.log.first().text = QString(300, QLatin1Char('x')); });
    QApplication::processEvents();
    EXPECT_LE(section()->rows().first()->geometry().right(), section()->width());
    EXPECT_LE(view.logSection()->geometry().right(), view.width() - 20);
}

TEST_F(LogSectionTest, RowsShowTheShortDateAndTheText) {
    const LogEntry old{QUuid::createUuid(), QDateTime(QDate(2020, 3, 7), QTime(12, 0)), QStringLiteral("<b>old</b>"),
                       1};
    open(test::project(QStringLiteral("Dates"), [&](AudioProject& p) { p.log = {old}; }));
    ASSERT_EQ(section()->rows().size(), 1);
    EXPECT_EQ(section()->rows().first()->dateLabel()->text(), QStringLiteral("2020.03.07"));
    EXPECT_EQ(section()->rows().first()->textLabel()->textFormat(), Qt::PlainText);
}

} // namespace
} // namespace sorvel::test
