#include "DetailFixture.h"

#include "app/detail/NotesSection.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace sorvel::test {
namespace {

class NotesSectionTest : public DetailTest {
protected:
    // A short pane, in an active window, with the caret at the end of two lines of notes.
    NotesEditor* openAtTheEndOfShortNotes() {
        const AudioProject made = test::project(
            QStringLiteral("Notes"), [](AudioProject& p) { p.notes = QStringLiteral("line one\nline two"); });
        projectID = made.id;
        ProjectDetailView& view = open(made);
        view.resize(600, 500);
        view.show();
        view.activateWindow();
        EXPECT_TRUE(waitUntil([&] { return view.isActiveWindow(); }, 2000));
        pane = view.findChild<QScrollArea*>();
        NotesEditor* notes = view.notesSection()->editor();
        notes->setFocus();
        notes->moveCursor(QTextCursor::End);
        return notes;
    }

    // Once the layout has given the editor the height of its text: the whole
    // text shows in it, from its first line, and the pane shows the caret.
    void expectWholeTextAndCaretShown(NotesEditor* notes, const char* after) {
        SCOPED_TRACE(after);
        ASSERT_TRUE(waitUntil([&] { return notes->height() == notes->sizeHint().height(); }, 2000));
        EXPECT_EQ(notes->verticalScrollBar()->value(), 0);
        const QRect firstLine = notes->cursorRect(QTextCursor(notes->document()->firstBlock()));
        EXPECT_GE(firstLine.top(), 0) << "the first line is scrolled out of the editor";
        const QRect lastLine = notes->cursorRect(QTextCursor(notes->document()->lastBlock()));
        EXPECT_LE(lastLine.bottom(), notes->viewport()->height()) << "the last line is cut off";
        const auto caretShown = [&] {
            const QRect caret = notes->cursorRect();
            return pane->viewport()->rect().contains(
                QRect(notes->viewport()->mapTo(pane->viewport(), caret.topLeft()), caret.size()));
        };
        EXPECT_TRUE(waitUntil(caretShown, 2000)) << "the pane does not show the caret";
    }

    QUuid projectID;
    QScrollArea* pane = nullptr;
};

TEST_F(NotesSectionTest, AfterAPasteOrTypingTheWholeTextShowsAndThePaneKeepsTheCaret) {
    NotesEditor* notes = openAtTheEndOfShortNotes();
    ASSERT_NE(pane, nullptr);
    QStringList lines;
    for (int i = 1; i <= 30; ++i)
        lines << QStringLiteral("第 %1 行 copied in another program").arg(i);
    QGuiApplication::clipboard()->setText(QLatin1Char('\n') + lines.join(QLatin1Char('\n')));
    notes->paste();
    expectWholeTextAndCaretShown(notes, "a paste of 30 lines");
    ASSERT_TRUE(waitUntil([&] { return stored(projectID).notes == notes->toPlainText(); }, 2000));

    // New lines typed at the end grow the editor again.
    for (int i = 0; i < 8; ++i)
        typeKey(notes, Qt::Key_Return, QStringLiteral("\r"));
    typeText(notes, QStringLiteral("end"));
    expectWholeTextAndCaretShown(notes, "typing new lines");
    EXPECT_TRUE(notes->toPlainText().endsWith(QStringLiteral("\n\n\n\n\n\n\n\nend")));
}

} // namespace
} // namespace sorvel::test
