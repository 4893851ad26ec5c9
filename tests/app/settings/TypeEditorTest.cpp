#include "support/AppViewFixture.h"

#include "app/settings/ColorWell.h"
#include "app/settings/SymbolPicker.h"
#include "app/settings/TypeEditor.h"
#include "app/settings/TypeList.h"
#include "app/settings/TypeRow.h"
#include "core/Clock.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "support/Waiting.h"

#include <QAbstractButton>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace sorvel::test {
namespace {

ProjectType custom(const QString& title) {
    return {QUuid::createUuid(), title, QStringLiteral("tag"), QStringLiteral("AF52DE")};
}

class TypeEditorTest : public AppViewTest {
protected:
    QStringList titles() const {
        QStringList found;
        for (const ProjectType& type : store.registry().types())
            found << type.title;
        return found;
    }
    QStringList rowTitles() const {
        QStringList found;
        for (const TypeRow* row : editor->rows())
            found << row->type().title;
        return found;
    }
    // Runs what was deferred to the next turn (twice: a deferred step may defer another).
    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    void hover(TypeRow* row) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(row, &enter);
    }

    std::unique_ptr<TypeEditor> editor = std::make_unique<TypeEditor>(store);
};

TEST_F(TypeEditorTest, AddingTakesThePaletteColourByCountAndFocusesTheEmptyTitle) {
    const QUuid fifth = editor->addType();
    const ProjectType added = store.registry().type(fifth);
    EXPECT_EQ(added.colorHex, QStringLiteral("FF3B30"));
    EXPECT_EQ(added.symbol, QStringLiteral("tag"));
    EXPECT_TRUE(added.title.isEmpty());
    EXPECT_TRUE(store.isDirty());
    EXPECT_EQ(editor->rows().size(), 6);
    EXPECT_EQ(editor->list()->item(editor->list()->count() - 1)->flags() & Qt::ItemIsDragEnabled, 0)
        << "the add row stays last and cannot be dragged";

    EXPECT_FALSE(editor->focusedType()) << "focus moves on the next turn only";
    settle();
    EXPECT_EQ(editor->focusedType(), fifth);
    EXPECT_EQ(editor->row(fifth)->titleField()->placeholderText(), QStringLiteral("类型名称"));

    EXPECT_EQ(store.registry().type(editor->addType()).colorHex, QStringLiteral("00C7BE"));
    EXPECT_EQ(store.registry().type(editor->addType()).colorHex, QStringLiteral("AF52DE"));
}

TEST_F(TypeEditorTest, MovesFollowTheListMoveRule) {
    const ProjectType a = custom("A"), b = custom("B"), c = custom("C"), d = custom("D");
    store.registry().setTypes({a, b, c});
    store.moveTypes({0}, 2);
    EXPECT_EQ(titles(), QStringList({"B", "A", "C"}));
    store.registry().setTypes({a, b, c});
    store.moveTypes({2}, 0);
    EXPECT_EQ(titles(), QStringList({"C", "A", "B"}));
    store.registry().setTypes({a, b, c, d});
    store.moveTypes({0, 2}, 4);
    EXPECT_EQ(titles(), QStringList({"B", "D", "A", "C"}));
    EXPECT_EQ(rowTitles(), titles()) << "the rows follow the registry's order";
}

TEST_F(TypeEditorTest, ADropLandsBeforeOrAfterTheRowUnderThePointerNeverBelowTheAddRow) {
    editor->resize(480, 400);
    editor->show();
    TypeList* list = editor->list();
    const QRect second = list->visualItemRect(list->item(1));
    EXPECT_EQ(list->dropOffset(second.top() + 2), 1);
    EXPECT_EQ(list->dropOffset(second.bottom() - 2), 2);
    const QRect addRow = list->visualItemRect(list->item(list->count() - 1));
    EXPECT_EQ(list->dropOffset(addRow.bottom()), 5);
    EXPECT_EQ(list->dropOffset(list->viewport()->height() - 1), 5);

    // What a drop reports is what the store applies.
    Q_EMIT list->moveRequested({0}, 2);
    EXPECT_EQ(titles().mid(0, 3), QStringList({"音效", "配乐", "环境声"}));
    EXPECT_EQ(rowTitles(), titles());
}

TEST_F(TypeEditorTest, AMovedRowIsNoLongerMarkedAfterTheDrop) {
    editor->resize(480, 400);
    editor->show();
    QCoreApplication::processEvents();
    TypeList* list = editor->list();
    // The press that starts a drag selects the row.
    list->item(0)->setSelected(true);
    ASSERT_EQ(list->selectedItems().size(), 1);

    Q_EMIT list->moveRequested({0}, 2);
    settle();
    ASSERT_EQ(titles().mid(0, 2), QStringList({"音效", "配乐"}));
    EXPECT_TRUE(list->selectedItems().isEmpty()) << "the moved row stays highlighted";
    EXPECT_FALSE(list->item(1)->isSelected());

    list->item(2)->setSelected(true);
    Q_EMIT list->moveRequested({2}, 2); // dropped where it was: nothing moves
    settle();
    EXPECT_TRUE(list->selectedItems().isEmpty());
}

TEST_F(TypeEditorTest, DeletingMovesProjectsToTheFirstOtherTypeAndKeepsTheLastType) {
    const AudioProject music = add("music", ProjectType::musicID);
    const AudioProject voice = add("voice", ProjectType::voiceID);
    AudioProject archived = AudioProject::make("old", ProjectType::voiceID);
    archived.archivedAt = Clock::now();
    add(archived);
    const QDateTime stamped = stored(voice.id).updatedAt;

    TypeEditor::deleteType(store, ProjectType::musicID);
    EXPECT_EQ(stored(music.id).typeID, ProjectType::sfxID) << "the first type's projects go to the second";
    TypeEditor::deleteType(store, ProjectType::voiceID);
    EXPECT_EQ(stored(voice.id).typeID, ProjectType::sfxID) << "others go to the first";
    EXPECT_EQ(stored(archived.id).typeID, ProjectType::sfxID);
    EXPECT_EQ(stored(voice.id).updatedAt, stamped);
    EXPECT_EQ(rowTitles(), QStringList({"音效", "环境声", "其他"}));
}

TEST_F(TypeEditorTest, TheOnlyTypeCannotBeDeletedAndNothingIsSaved) {
    store.registry().setTypes({ProjectType::defaults().first()});
    ASSERT_FALSE(store.isDirty());
    TypeEditor::deleteType(store, ProjectType::musicID);
    EXPECT_EQ(store.registry().types().size(), 1);
    EXPECT_FALSE(store.isDirty());
    TypeRow* only = editor->rows().first();
    hover(only);
    EXPECT_TRUE(only->isHovering());
    EXPECT_TRUE(only->deleteButton()->isHidden());
}

TEST_F(TypeEditorTest, TheDeleteButtonShowsUnderThePointerAndDeletes) {
    add("sfx", ProjectType::sfxID);
    TypeRow* row = editor->row(ProjectType::sfxID);
    EXPECT_TRUE(row->deleteButton()->isHidden());
    hover(row);
    EXPECT_FALSE(row->deleteButton()->isHidden());
    row->deleteButton()->click();
    settle();
    EXPECT_EQ(editor->row(ProjectType::sfxID), nullptr);
    EXPECT_EQ(store.projects().first().typeID, ProjectType::musicID);
}

TEST_F(TypeEditorTest, ResetRestoresTheDefaultsAndMovesOtherProjectsToTheLastKeepingTheirTime) {
    const QUuid foley = store.addType();
    store.updateType(ProjectType::musicID, [](ProjectType& t) { t.title = QStringLiteral("配乐改"); });
    AudioProject onFoley = AudioProject::make("foley", foley);
    onFoley.archivedAt = Clock::now();
    add(onFoley);
    const AudioProject onMusic = add("music", ProjectType::musicID);
    const QDateTime stamped = stored(onFoley.id).updatedAt;

    editor->resetButton()->click();
    EXPECT_EQ(store.registry().types(), ProjectType::defaults());
    EXPECT_EQ(stored(onFoley.id).typeID, ProjectType::defaults().last().id);
    EXPECT_EQ(stored(onFoley.id).updatedAt, stamped);
    EXPECT_EQ(stored(onMusic.id).typeID, ProjectType::musicID);
    EXPECT_EQ(rowTitles(), titles());
    EXPECT_EQ(editor->row(ProjectType::musicID)->titleField()->text(), QStringLiteral("配乐"));
}

TEST_F(TypeEditorTest, TitlesAreStoredTrimmedWhileTyping) {
    TypeRow* row = editor->row(ProjectType::sfxID);
    editor->setFocusedType(ProjectType::sfxID);
    row->titleField()->setText(QStringLiteral(" 拟音 "));
    EXPECT_EQ(store.registry().type(ProjectType::sfxID).title, QStringLiteral("拟音"));
    EXPECT_EQ(row->titleField()->text(), QStringLiteral(" 拟音 "));
    row->titleField()->setText(QStringLiteral("  "));
    EXPECT_EQ(store.registry().type(ProjectType::sfxID).title, QStringLiteral("拟音")) << "never stored empty";
}

TEST_F(TypeEditorTest, AnEmptiedTitleIsRestoredWhenTheTypeHasProjects) {
    add("sfx", ProjectType::sfxID);
    TypeRow* row = editor->row(ProjectType::sfxID);
    editor->setFocusedType(ProjectType::sfxID);
    row->titleField()->clear();
    editor->setFocusedType(std::nullopt); // Return
    settle();
    EXPECT_EQ(row->titleField()->text(), QStringLiteral("音效"));
    EXPECT_EQ(store.registry().types().size(), 5);
}

TEST_F(TypeEditorTest, AnEmptiedTitleOfATypeWithoutProjectsRemovesItWhenLeft) {
    editor->setFocusedType(ProjectType::sfxID);
    editor->row(ProjectType::sfxID)->titleField()->clear();
    editor->setFocusedType(ProjectType::voiceID); // a click into another row's title
    settle();
    EXPECT_EQ(editor->row(ProjectType::sfxID), nullptr);
    EXPECT_EQ(store.registry().types().size(), 4);
    EXPECT_EQ(editor->focusedType(), ProjectType::voiceID);
}

TEST_F(TypeEditorTest, AnAddedTypeLeftUnnamedGoesAwayAlsoWhenTheEditorCloses) {
    editor->show();
    const QUuid added = editor->addType();
    settle();
    ASSERT_EQ(editor->focusedType(), added);
    editor->hide();
    settle();
    EXPECT_EQ(store.registry().types(), ProjectType::defaults());
}

TEST_F(TypeEditorTest, TheOnlyTypeGetsItsTitleBackWhenLeftEmpty) {
    store.registry().setTypes({ProjectType::defaults().first()});
    editor->setFocusedType(ProjectType::musicID);
    editor->rows().first()->titleField()->clear();
    editor->setFocusedType(std::nullopt);
    settle();
    ASSERT_EQ(store.registry().types().size(), 1);
    EXPECT_EQ(editor->rows().first()->titleField()->text(), QStringLiteral("配乐"));
}

TEST_F(TypeEditorTest, AFocusedFieldKeepsTheUsersTextWhenTheStoredTitleChanges) {
    editor->setFocusedType(ProjectType::sfxID);
    editor->row(ProjectType::sfxID)->titleField()->setText(QStringLiteral("拟音 "));
    editor->row(ProjectType::voiceID)->titleField();
    store.updateType(ProjectType::voiceID, [](ProjectType& t) { t.title = QStringLiteral("人声"); });
    editor->resetButton()->click();
    EXPECT_EQ(editor->row(ProjectType::sfxID)->titleField()->text(), QStringLiteral("拟音 "));
    EXPECT_EQ(editor->row(ProjectType::voiceID)->titleField()->text(), QStringLiteral("对白"));
}

// A title longer than its field is read from its start whenever it is not being
// edited: when shown, when changed elsewhere, and after typing at its end.
TEST_F(TypeEditorTest, ALongTitleShowsItsStartWhenNotBeingEdited) {
    const QString start = QStringLiteral("Orchestral");
    const QString longTitle = start + QStringLiteral(" score for a film whose title simply goes on and on and on");
    const auto shownPixels = [](QLineEdit* field) { return field->grab().toImage(); };
    // The field's pixels as far as `start` reaches, drawn alone in the same field.
    const auto startPixels = [&](TypeRow* row) {
        QLineEdit* field = row->titleField();
        const QString kept = field->text();
        const QSignalBlocker quiet(field); // the reference is not stored
        field->setText(start);
        const QImage image = field->grab().toImage();
        field->setText(kept);
        field->setCursorPosition(0);
        return image;
    };
    const auto expectStartShown = [&](TypeRow* row, const char* when) {
        QLineEdit* field = row->titleField();
        ASSERT_GT(field->fontMetrics().horizontalAdvance(field->text()), field->width()) << "the title must not fit";
        const QImage shown = shownPixels(field);
        const QImage reference = startPixels(row);
        const int reach = field->fontMetrics().horizontalAdvance(start);
        ASSERT_GT(reach, 20);
        const QRect compared(0, 0, std::min(reach, shown.width()), shown.height());
        EXPECT_TRUE(shown.copy(compared) == reference.copy(compared)) << when;
    };

    editor->resize(480, 400);
    editor->show();
    store.updateType(ProjectType::sfxID, [&](ProjectType& type) { type.title = longTitle; });
    QCoreApplication::processEvents();
    TypeRow* row = editor->row(ProjectType::sfxID);
    ASSERT_EQ(row->titleField()->text(), longTitle);
    expectStartShown(row, "after the stored title changed");

    TypeEditor fresh(store);
    fresh.resize(480, 400);
    fresh.show();
    QCoreApplication::processEvents();
    expectStartShown(fresh.row(ProjectType::sfxID), "in a newly built row");

    editor->setFocusedType(ProjectType::sfxID);
    row->titleField()->end(false);
    row->titleField()->insert(QStringLiteral(" again"));
    editor->setFocusedType(ProjectType::voiceID);
    settle();
    ASSERT_EQ(store.registry().type(ProjectType::sfxID).title, longTitle + QStringLiteral(" again"));
    expectStartShown(row, "after typing at the end and leaving the field");
}

TEST_F(TypeEditorTest, RowsCountAllProjectsAndNameTheCountInTheDeleteHelp) {
    add("a", ProjectType::sfxID);
    add("b", ProjectType::sfxID);
    AudioProject archived = AudioProject::make("c", ProjectType::sfxID);
    archived.archivedAt = Clock::now();
    add(archived);
    TypeRow* row = editor->row(ProjectType::sfxID);
    EXPECT_EQ(row->countLabel()->text(), QStringLiteral("3 个项目"));
    EXPECT_EQ(row->deleteButton()->toolTip(), QStringLiteral("删除类型，3 个项目会移到第一个类型"));
    EXPECT_EQ(editor->row(ProjectType::voiceID)->deleteButton()->toolTip(), QStringLiteral("删除类型"));
    EXPECT_EQ(editor->row(ProjectType::voiceID)->countLabel()->text(), QStringLiteral("0 个项目"));
}

TEST_F(TypeEditorTest, RowsDrawTheCountInTheSecondaryInkAndTheHandleShowsItsHelpAndStartsDrags) {
    editor->resize(480, 400);
    editor->show();
    QCoreApplication::processEvents();
    TypeRow* row = editor->row(ProjectType::sfxID);
    QLabel* count = row->countLabel();
    EXPECT_EQ(count->palette().color(count->foregroundRole()), Studio::text2())
        << "inside the list the count must not take the list's text colour";

    QLabel* handle = nullptr;
    for (QLabel* label : row->findChildren<QLabel*>()) {
        if (label->toolTip() == QStringLiteral("拖动排序"))
            handle = label;
    }
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(row->childAt(handle->geometry().center()), handle) << "the pointer's help request reaches the handle";

    click(handle);
    EXPECT_TRUE(editor->list()->item(editor->rows().indexOf(row))->isSelected())
        << "a press on the handle reaches the list, where drags start";
}

TEST_F(TypeEditorTest, ColoursAreStoredAsSixUpperCaseDigits) {
    TypeRow* row = editor->row(ProjectType::sfxID);
    row->colorWell()->pick(QColor(0x12, 0xab, 0xcd, 128));
    EXPECT_EQ(store.registry().type(ProjectType::sfxID).colorHex, QStringLiteral("12ABCD"));
    row = editor->row(ProjectType::sfxID);
    row->colorWell()->pick(QColor::fromHsvF(0.0, 1.0, 1.0));
    EXPECT_EQ(store.registry().type(ProjectType::sfxID).colorHex, QStringLiteral("FF0000"));
}

TEST_F(TypeEditorTest, ChoosingASymbolStoresItAndClosesThePicker) {
    TypeRow* row = editor->row(ProjectType::sfxID);
    QPointer<SymbolPicker> picker = row->openSymbolPicker();
    ASSERT_TRUE(picker);
    EXPECT_TRUE(picker->cellAt(2, 1)->isSelected()) << "waveform is the seventh symbol";
    picker->cellAt(7, 4)->click();
    EXPECT_EQ(store.registry().type(ProjectType::sfxID).symbol, QStringLiteral("tag"));
    settle();
    EXPECT_TRUE(!picker || !picker->isVisible());
}

TEST_F(TypeEditorTest, AHostileSymbolNameIsKeptAndDrawnAsTheFallback) {
    store.updateType(ProjectType::sfxID, [](ProjectType& t) { t.symbol = QStringLiteral("../x"); });
    TypeRow* row = editor->row(ProjectType::sfxID);
    EXPECT_EQ(row->type().symbol, QStringLiteral("../x"));
    EXPECT_FALSE(Symbols::isKnown(row->type().symbol));
    EXPECT_FALSE(row->grab().isNull());
    SymbolPicker* picker = row->openSymbolPicker();
    for (const SymbolCell* cell : picker->cells())
        EXPECT_FALSE(cell->isSelected());
    picker->close();
}

TEST(SymbolPickerTest, TheGridHighlightsExactlyTheSelectedNameCaseSensitively) {
    SymbolPicker picker(QStringLiteral("tag"), QColor(Qt::red));
    ASSERT_EQ(picker.cells().size(), 42);
    ASSERT_NE(picker.cellAt(7, 4), nullptr);
    EXPECT_EQ(picker.cellAt(7, 4)->symbol(), QStringLiteral("tag"));
    EXPECT_EQ(picker.cellAt(7, 6)->symbol(), QStringLiteral("square.stack"));
    EXPECT_EQ(picker.cellAt(8, 1), nullptr);
    int selected = 0;
    for (const SymbolCell* cell : picker.cells())
        selected += cell->isSelected();
    EXPECT_EQ(selected, 1);
    EXPECT_TRUE(picker.cellAt(7, 4)->isSelected());

    for (const QString& other : {QStringLiteral("Tag"), QStringLiteral("../x")}) {
        SymbolPicker none(other, QColor(Qt::red));
        for (const SymbolCell* cell : none.cells())
            EXPECT_FALSE(cell->isSelected()) << cell->symbol().toStdString();
    }

    QStringList chosen;
    QObject::connect(&picker, &SymbolPicker::chosen, [&](const QString& name) { chosen << name; });
    picker.cellAt(7, 4)->click();
    EXPECT_EQ(chosen, QStringList({"tag"})) << "the current symbol can be chosen again";
}

} // namespace
} // namespace sorvel::test
