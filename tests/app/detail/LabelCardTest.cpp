#include "DetailFixture.h"

#include "app/detail/CueTextField.h"
#include "app/detail/DetailBanner.h"
#include "app/detail/DetailChip.h"
#include "app/detail/LabelCard.h"
#include "app/detail/NotesSection.h"
#include "app/detail/ProgressSection.h"
#include "app/detail/ProgressSlider.h"
#include "app/detail/TypeMenuButton.h"
#include "studio/MenuItemText.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"
#include "support/Waiting.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTextCursor>
#include <QTimer>

namespace sorvel::test {
namespace {

class LabelCardTest : public DetailTest {
protected:
    AudioProject earlierProject(const QString& name, const std::function<void(AudioProject&)>& edit = {}) {
        return test::project(name, [&](AudioProject& p) {
            p.updatedAt = earlier;
            if (edit)
                edit(p);
        });
    }
    AudioProject scoreWithNotes() {
        return earlierProject(QStringLiteral("Score"), [](AudioProject& p) { p.notes = QStringLiteral("line one"); });
    }
    // The pane in an active window, so that its fields take the keyboard focus.
    ProjectDetailView& openForTyping(const AudioProject& project) {
        ProjectDetailView& view = open(project);
        view.show();
        view.activateWindow();
        QApplication::processEvents();
        return view;
    }
    DetailChip* chip(ProjectStatus status) const {
        return pane->labelCard()->statusChips().at(allProjectStatuses().indexOf(status));
    }
};

TEST_F(LabelCardTest, StatusChipsSetTheStatusThroughItsRules) {
    const AudioProject project = earlierProject(QStringLiteral("Chips"));
    open(project);
    ASSERT_EQ(pane->labelCard()->statusChips().size(), 4);
    EXPECT_EQ(chip(ProjectStatus::NotStarted)->text(), QStringLiteral("未开始"));
    EXPECT_EQ(chip(ProjectStatus::Review)->text(), QStringLiteral("待审"));
    EXPECT_TRUE(chip(ProjectStatus::InProgress)->isSelected());

    chip(ProjectStatus::Done)->click();
    const AudioProject done = stored(project.id);
    EXPECT_EQ(done.status, ProjectStatus::Done);
    EXPECT_TRUE(done.completedAt.has_value());
    EXPECT_EQ(done.log.first().text, QStringLiteral("完成"));
    EXPECT_GT(done.updatedAt, earlier);
    EXPECT_TRUE(chip(ProjectStatus::Done)->isSelected());
    EXPECT_FALSE(chip(ProjectStatus::InProgress)->isSelected());
    EXPECT_EQ(pane->banner()->currentCase(), DetailBanner::Case::Done);

    chip(ProjectStatus::InProgress)->click();
    EXPECT_FALSE(stored(project.id).completedAt.has_value());
    EXPECT_EQ(stored(project.id).log, done.log) << "leaving done writes no log entry";
}

TEST_F(LabelCardTest, CurrentStatusChangesNothingButIsStillSaved) {
    const AudioProject project = earlierProject(QStringLiteral("Same"));
    open(project);
    const int writes = store.activity().writes;
    chip(ProjectStatus::InProgress)->click();
    EXPECT_EQ(stored(project.id), project);
    EXPECT_TRUE(store.isDirty());
    EXPECT_TRUE(waitUntil([&] { return store.activity().writes > writes; }, 3000));
}

TEST_F(LabelCardTest, NotStartedWithProgressMovesOnToInProgress) {
    const AudioProject project = earlierProject(QStringLiteral("Moving"), [](AudioProject& p) {
        p.progressMode = ProgressMode::Manual;
        p.manualProgress = 0.3;
    });
    open(project);
    chip(ProjectStatus::NotStarted)->click();
    EXPECT_EQ(stored(project.id).status, ProjectStatus::InProgress);
    EXPECT_TRUE(chip(ProjectStatus::InProgress)->isSelected());
}

TEST_F(LabelCardTest, TypeMenuListsEveryTypeAndStampsEvenTheCurrentType) {
    const AudioProject project = earlierProject(QStringLiteral("Typed"), [](AudioProject& p) {
        p.status = ProjectStatus::NotStarted;
        p.progressMode = ProgressMode::Manual;
        p.manualProgress = 0.5;
    });
    open(project);
    TypeMenuButton* button = pane->labelCard()->typeButton();
    EXPECT_EQ(button->type().id, ProjectType::musicID);

    QMenu menu;
    button->fillMenu(menu);
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), store.registry().types().size());
    for (int i = 0; i < actions.size(); ++i)
        EXPECT_EQ(actions.at(i)->text(), store.registry().types().at(i).title);

    actions.at(0)->trigger(); // the current type
    EXPECT_EQ(stored(project.id).typeID, ProjectType::musicID);
    EXPECT_GT(stored(project.id).updatedAt, earlier);
    EXPECT_EQ(stored(project.id).status, ProjectStatus::NotStarted) << "no status rule for the type";
    EXPECT_EQ(pane->labelCard()->modifiedLabel()->text(), QStringLiteral("更新 现在"));

    const int other = store.registry().types().size() - 1;
    actions.at(other)->trigger();
    EXPECT_EQ(stored(project.id).typeID, store.registry().types().at(other).id);
    EXPECT_EQ(button->type().id, store.registry().types().at(other).id);
}

TEST_F(LabelCardTest, UnknownTypeShowsTheFirstTypeAndKeepsTheStoredID) {
    const QUuid unknown = QUuid::createUuid();
    const AudioProject project =
        earlierProject(QStringLiteral("Stranger"), [&](AudioProject& p) { p.typeID = unknown; });
    open(project);
    EXPECT_EQ(pane->labelCard()->typeButton()->type().id, store.registry().types().first().id);
    EXPECT_EQ(stored(project.id).typeID, unknown);
}

TEST_F(LabelCardTest, ALongTypeTitleIsCutAndTheCardStaysInTheDrawer) {
    const QUuid typeID = store.addType();
    store.updateType(typeID, [](ProjectType& t) {
        t.title = QStringLiteral(
            "电影与剧集配乐（含预告片、花絮和所有宣传物料的全部版本，以及导演剪辑版与国际发行版的全部改动）");
    });
    ProjectDetailView& view =
        open(earlierProject(QStringLiteral("Typed"), [&](AudioProject& p) { p.typeID = typeID; }));
    view.resize(600, 900);
    view.show();
    QApplication::processEvents();

    LabelCard* card = view.labelCard();
    EXPECT_LE(card->minimumSizeHint().width(), 600 - 2 * 20) << "the card fits the drawer";
    EXPECT_LE(card->geometry().right(), 600 - 20);
    EXPECT_LE(card->typeButton()->geometry().right(), card->modifiedLabel()->geometry().left())
        << "the chip leaves room for the modification text";

    // Its menu is as wide as its widest entry: that entry is cut too, whole in its tooltip.
    QMenu menu;
    card->typeButton()->fillMenu(menu);
    const QAction* entry = menu.actions().last();
    EXPECT_TRUE(entry->text().endsWith(QChar(0x2026))) << entry->text().toStdString();
    EXPECT_EQ(entry->toolTip(), Studio::plainToolTip(store.registry().type(typeID).title));
    EXPECT_TRUE(menu.toolTipsVisible());
    EXPECT_LE(QFontMetrics(menu.font()).horizontalAdvance(entry->text()), MenuItemText::maxWidth);
    EXPECT_LE(menu.sizeHint().width(), MenuItemText::maxWidth + 120) << "as wide as the cut entry";
    EXPECT_EQ(menu.actions().first()->text(), store.registry().types().first().title) << "a short title stays whole";
}

TEST_F(LabelCardTest, ALongNameEndsInAnEllipsisUntilItIsTypedIn) {
    const QString phrase = QStringLiteral("远山的回声交响诗 Echoes 🎻 第一乐章慢板与快板的对话，森林里的风声 ");
    const QString longName = phrase.repeated(5).left(150);
    ProjectDetailView& view = openForTyping(earlierProject(longName));
    view.resize(600, 900);
    QApplication::processEvents();

    auto* name = qobject_cast<CueTextField*>(view.labelCard()->nameField());
    ASSERT_NE(name, nullptr) << "the name field draws its own cut";
    EXPECT_EQ(name->text(), longName);
    EXPECT_TRUE(name->shownText().endsWith(QChar(0x2026))) << name->shownText().toStdString();
    EXPECT_TRUE(longName.startsWith(name->shownText().chopped(1)));
    EXPECT_LE(name->fontMetrics().horizontalAdvance(name->shownText()), name->width());

    // Typed in, it is the whole name again; a short one is never cut.
    name->setFocus();
    ASSERT_TRUE(waitUntil([&] { return name->hasFocus(); }, 2000));
    EXPECT_EQ(name->shownText(), longName);
    name->clearFocus();
    store.update(view.projectID(), [](AudioProject& p) { p.name = QStringLiteral("Short"); });
    EXPECT_EQ(name->shownText(), QStringLiteral("Short"));
}

// A key pressed and let go, as Space on a button clicks only when let go.
void strikeKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = {}) {
    typeKey(widget, key, key == Qt::Key_Space ? QStringLiteral(" ") : QString(), modifiers);
}

TEST_F(LabelCardTest, TheKeyboardReachesAndUsesEveryControlOfTheLabelAndTheProgress) {
    const AudioProject project = earlierProject(QStringLiteral("Keys"), [](AudioProject& p) {
        p.status = ProjectStatus::InProgress;
        p.progressMode = ProgressMode::Manual;
        p.manualProgress = 0.5;
    });
    openForTyping(project);
    ASSERT_TRUE(waitUntil([&] { return pane->isActiveWindow(); }, 2000));
    LabelCard* card = pane->labelCard();
    ProgressSection* progress = pane->progressSection();

    // Tab from the name walks the four status chips, both mode chips, then the slider.
    QList<QWidget*> stops;
    for (DetailChip* status : card->statusChips())
        stops.append(status);
    for (DetailChip* mode : progress->modeChips())
        stops.append(mode);
    stops.append(progress->slider());
    QList<QImage> unfocused;
    for (QWidget* stop : stops)
        unfocused.append(stop->grab().toImage());
    card->nameField()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(card->nameField()->hasFocus());
    for (int i = 0; i < stops.size(); ++i) {
        strikeKey(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(stops.at(i)->hasFocus()) << "stop " << i << " is " << QApplication::focusWidget();
        if (i == stops.size() - 1)
            break; // the slider draws its own focus
        // A ring of two pixels all round: in the accent, or light on a chip filled with the accent.
        const QImage focused = stops.at(i)->grab().toImage();
        const auto* chip = static_cast<DetailChip*>(stops.at(i));
        const bool onTint = chip->isSelected() && progress->modeChips().contains(chip);
        const QColor ring = onTint ? Studio::text() : Studio::tint(chip);
        EXPECT_GE(pixelsNear(focused, ring) - pixelsNear(unfocused.at(i), ring), 2 * (chip->width() + chip->height()))
            << "stop " << i;
    }
    // Shift+Tab from the name goes back to the type menu, which shows its focus too.
    const QImage typeUnfocused = card->typeButton()->grab().toImage();
    card->nameField()->setFocus(Qt::TabFocusReason);
    strikeKey(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_TRUE(card->typeButton()->hasFocus()) << "Shift+Tab went to " << QApplication::focusWidget();
    const QColor tint = Studio::tint(card->typeButton());
    EXPECT_GE(pixelsNear(card->typeButton()->grab().toImage(), tint) - pixelsNear(typeUnfocused, tint),
              2 * (card->typeButton()->width() + card->typeButton()->height()));

    // The arrows move along a row of chips; Space and Return choose.
    chip(ProjectStatus::NotStarted)->setFocus(Qt::TabFocusReason);
    strikeKey(QApplication::focusWidget(), Qt::Key_Right);
    strikeKey(QApplication::focusWidget(), Qt::Key_Right);
    ASSERT_TRUE(chip(ProjectStatus::Review)->hasFocus()) << QApplication::focusWidget();
    strikeKey(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(stored(project.id).status, ProjectStatus::Review);
    strikeKey(QApplication::focusWidget(), Qt::Key_Right);
    ASSERT_TRUE(chip(ProjectStatus::Done)->hasFocus());
    strikeKey(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_TRUE(chip(ProjectStatus::Done)->hasFocus()) << "the last chip of the row keeps the keyboard";
    progress->modeChips().at(allProgressModes().indexOf(ProgressMode::Auto))->setFocus(Qt::TabFocusReason);
    strikeKey(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(stored(project.id).progressMode, ProgressMode::Auto);

    // The arrow down opens the type menu, whose arrows and Return choose a type.
    const int next = 1;
    ASSERT_GT(store.registry().types().size(), next);
    QTimer chooser;
    chooser.setInterval(10);
    QObject::connect(&chooser, &QTimer::timeout, [&chooser, next] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        chooser.stop();
        for (int i = 0; i < 10 && menu->activeAction() != menu->actions().at(next); ++i)
            strikeKey(menu, Qt::Key_Down);
        strikeKey(menu, Qt::Key_Return);
    });
    chooser.start();
    card->typeButton()->setFocus(Qt::TabFocusReason);
    strikeKey(card->typeButton(), Qt::Key_Down);
    EXPECT_FALSE(chooser.isActive()) << "no menu opened";
    EXPECT_EQ(stored(project.id).typeID, store.registry().types().at(next).id);
}

TEST_F(LabelCardTest, ModifiedTextSaysHowLongAgo) {
    open(earlierProject(QStringLiteral("Aged")));
    EXPECT_EQ(pane->labelCard()->modifiedLabel()->text(), QStringLiteral("更新 1 小时前"));
    EXPECT_EQ(LabelCard::modifiedText(Clock::now().addDays(-1), Clock::now()), QStringLiteral("更新 昨天"));
}

TEST_F(LabelCardTest, NameEditsAreStoredAsTypedAndStamped) {
    const AudioProject project = earlierProject(QStringLiteral("Old"));
    open(project);
    QLineEdit* name = pane->labelCard()->nameField();
    EXPECT_EQ(name->text(), QStringLiteral("Old"));
    EXPECT_EQ(name->placeholderText(), QStringLiteral("磁带名称"));

    name->selectAll();
    typeKey(name, Qt::Key_Backspace);
    EXPECT_EQ(stored(project.id).name, QString()) << "an empty name is stored";
    typeText(name, QStringLiteral("  新名字 "));
    EXPECT_EQ(stored(project.id).name, QStringLiteral("  新名字 ")) << "no trimming";
    EXPECT_GT(stored(project.id).updatedAt, earlier);
}

TEST_F(LabelCardTest, ShowingAStoredNameWritesNothing) {
    const AudioProject project = earlierProject(QStringLiteral("Quiet"));
    open(project);
    store.update(project.id, [](AudioProject& p) { p.name = QStringLiteral("Renamed elsewhere"); });
    EXPECT_EQ(pane->labelCard()->nameField()->text(), QStringLiteral("Renamed elsewhere"));
    EXPECT_EQ(stored(project.id).updatedAt, earlier) << "no write loop";
}

TEST_F(LabelCardTest, ALongStoredNameShowsItsStart) {
    const QString longName = QStringLiteral("《长夜将尽》原声带：第二季第七集片尾曲与全部场景配乐");
    open(earlierProject(longName));
    EXPECT_EQ(pane->labelCard()->nameField()->cursorPosition(), 0);
    store.update(pane->projectID(), [&](AudioProject& p) { p.name = longName + QStringLiteral("（终混）"); });
    EXPECT_EQ(pane->labelCard()->nameField()->cursorPosition(), 0);
}

TEST_F(LabelCardTest, TypingInNameAndNotesSurvivesChangesOfTheSameProjectFromOutside) {
    const AudioProject project = scoreWithNotes();
    ProjectDetailView& view = openForTyping(project);

    QLineEdit* name = view.labelCard()->nameField();
    name->setFocus();
    name->setCursorPosition(2); // Sc|ore
    typeText(name, QStringLiteral("XY"));
    ASSERT_EQ(stored(project.id).name, QStringLiteral("ScXYore"));
    // Another program (the widget) writes the same project, with the name it last read.
    store.update(project.id, [](AudioProject& p) {
        p.name = QStringLiteral("Score");
        p.manualProgress = 0.4;
        p.log.prepend(LogEntry{QUuid::createUuid(), Clock::now(), QStringLiteral("from the widget"), 0.4});
    });
    EXPECT_EQ(name->text(), QStringLiteral("ScXYore"));
    EXPECT_EQ(name->cursorPosition(), 4);
    typeText(name, QStringLiteral("Z"));
    EXPECT_EQ(name->text(), QStringLiteral("ScXYZore"));
    EXPECT_EQ(stored(project.id).name, QStringLiteral("ScXYZore"));

    NotesEditor* notes = view.notesSection()->editor();
    notes->setFocus();
    QTextCursor cursor = notes->textCursor();
    cursor.setPosition(4); // line| one
    notes->setTextCursor(cursor);
    typeText(notes, QStringLiteral("s"));
    ASSERT_EQ(stored(project.id).notes, QStringLiteral("lines one"));
    store.update(project.id, [](AudioProject& p) {
        p.notes = QStringLiteral("line one");
        p.status = ProjectStatus::Review;
    });
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("lines one"));
    EXPECT_EQ(notes->textCursor().position(), 5);
    typeText(notes, QStringLiteral("!"));
    EXPECT_EQ(stored(project.id).notes, QStringLiteral("lines! one"));

    // Once the user has left the fields, the store's text shows again.
    name->clearFocus();
    notes->clearFocus();
    store.update(project.id, [](AudioProject& p) {
        p.name = QStringLiteral("From outside");
        p.notes = QStringLiteral("outside notes");
    });
    EXPECT_EQ(name->text(), QStringLiteral("From outside"));
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("outside notes"));
    EXPECT_EQ(stored(project.id).notes, QStringLiteral("outside notes")) << "showing it wrote nothing back";
}

TEST_F(LabelCardTest, ALeftFieldShowsWhatTheStoreHolds) {
    const AudioProject project = scoreWithNotes();
    ProjectDetailView& view = openForTyping(project);

    // Another program's write takes the notes back while the user types in them.
    NotesEditor* notes = view.notesSection()->editor();
    notes->setFocus();
    typeText(notes, QStringLiteral("Y"));
    store.update(project.id, [](AudioProject& p) { p.notes = QStringLiteral("line one"); });
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("Yline one")) << "kept while typed in";

    // Once left, the editor shows what is stored, not text that is stored nowhere.
    notes->clearFocus();
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("line one"));
    EXPECT_EQ(stored(project.id).notes, QStringLiteral("line one")) << "showing it wrote nothing back";
}

} // namespace
} // namespace sorvel::test
