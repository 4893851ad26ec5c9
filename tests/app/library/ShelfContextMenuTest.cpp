#include "support/LibraryFixture.h"

#include "app/library/ShelfContextMenu.h"
#include "core/UserText.h"

#include <QDir>
#include <QMenu>

namespace sorvel::test {
namespace {

using ShelfContextMenuTest = LibraryTest;

std::string labels(const QList<ShelfMenuItem>& items) {
    QStringList texts;
    for (const ShelfMenuItem& item : items)
        texts.append(item.isSeparator() ? QStringLiteral("---") : item.text);
    return texts.join(QLatin1Char('|')).toStdString();
}

void run(const QList<ShelfMenuItem>& items, const QString& text) {
    for (const ShelfMenuItem& item : items) {
        if (item.text == text) {
            item.run();
            return;
        }
    }
    FAIL() << "no item " << text.toStdString();
}

TEST_F(ShelfContextMenuTest, ItemsFollowTheStateOfTheTapeItWasOpenedOn) {
    const AudioProject active = project("active");
    const AudioProject done = project("done", [](AudioProject& p) { p.status = ProjectStatus::Done; });
    const AudioProject focused = project("focused", [](AudioProject& p) { p.isFocused = true; });
    const AudioProject archived = project("archived", [](AudioProject& p) {
        p.status = ProjectStatus::Done;
        p.archivedAt = Clock::now();
        p.folderPath = QStringLiteral("/somewhere");
    });
    const AudioProject emptyFolder = project("emptyFolder", [](AudioProject& p) { p.folderPath = QString(); });

    EXPECT_EQ(labels(ShelfContextMenu::items(active, store, router)), "标记为完成|归档…|设为焦点项目|---|删除");
    EXPECT_EQ(labels(ShelfContextMenu::items(done, store, router)), "归档…|设为焦点项目|---|删除");
    EXPECT_EQ(labels(ShelfContextMenu::items(focused, store, router)), "标记为完成|归档…|取消焦点|---|删除");
    EXPECT_EQ(labels(ShelfContextMenu::items(archived, store, router)), "恢复|在文件管理器中显示|---|删除");
    // An empty folder text is still a folder.
    EXPECT_EQ(labels(ShelfContextMenu::items(emptyFolder, store, router)),
              "标记为完成|归档…|设为焦点项目|在文件管理器中显示|---|删除");

    const QList<ShelfMenuItem> items = ShelfContextMenu::items(active, store, router);
    EXPECT_TRUE(items.last().destructive);
    EXPECT_EQ(std::count_if(items.cbegin(), items.cend(), [](const ShelfMenuItem& i) { return i.destructive; }), 1);
}

TEST_F(ShelfContextMenuTest, OnASelectedTapeTheSelectionActionsCoverTheWholeSelection) {
    const AudioProject one = project("one"), two = project("two"), three = project("three"), other = project("other");
    put({one, two, three, other});
    router.setSelection({one.id, two.id, three.id});

    run(ShelfContextMenu::items(*store.project(two.id), store, router), QStringLiteral("标记为完成"));
    for (const QUuid& id : {one.id, two.id, three.id})
        EXPECT_EQ(store.project(id)->status, ProjectStatus::Done);
    EXPECT_EQ(store.project(other.id)->status, ProjectStatus::InProgress);

    run(ShelfContextMenu::items(*store.project(two.id), store, router), QStringLiteral("归档…"));
    EXPECT_EQ(router.archiveRequest(), (QSet<QUuid>{one.id, two.id, three.id}));

    // Focus acts on the clicked tape alone.
    run(ShelfContextMenu::items(*store.project(two.id), store, router), QStringLiteral("设为焦点项目"));
    EXPECT_TRUE(store.project(two.id)->isFocused);
    EXPECT_FALSE(store.project(one.id)->isFocused);

    run(ShelfContextMenu::items(*store.project(two.id), store, router), QStringLiteral("删除"));
    EXPECT_EQ(names(store.projects()), "other");
    EXPECT_TRUE(router.selection().isEmpty());
}

TEST_F(ShelfContextMenuTest, OnAnUnselectedTapeEveryActionTouchesThatTapeAlone) {
    const AudioProject one = project("one"), two = project("two"), three = project("three"),
                       clicked = project("clicked");
    put({one, two, three, clicked});
    const QSet<QUuid> selection{one.id, two.id, three.id};
    router.setSelection(selection);

    run(ShelfContextMenu::items(clicked, store, router), QStringLiteral("标记为完成"));
    EXPECT_EQ(store.project(clicked.id)->status, ProjectStatus::Done);
    EXPECT_EQ(store.project(one.id)->status, ProjectStatus::InProgress);

    run(ShelfContextMenu::items(clicked, store, router), QStringLiteral("归档…"));
    EXPECT_EQ(router.archiveRequest(), QSet<QUuid>{clicked.id});

    run(ShelfContextMenu::items(clicked, store, router), QStringLiteral("删除"));
    EXPECT_EQ(names(store.projects()), "one|two|three");
    EXPECT_EQ(router.selection(), selection);
}

TEST_F(ShelfContextMenuTest, RestoreFocusAndRevealActOnTheStore) {
    const QString folder = QDir(environment.scratch()).filePath(QStringLiteral("work"));
    QDir().mkpath(folder);
    const AudioProject archived = project("archived", [&](AudioProject& p) {
        p.status = ProjectStatus::Done;
        p.archivedAt = Clock::now();
        p.folderPath = folder;
    });
    const AudioProject focused = project("focused", [](AudioProject& p) { p.isFocused = true; });
    put({archived, focused});

    run(ShelfContextMenu::items(archived, store, router), QStringLiteral("在文件管理器中显示"));
    EXPECT_EQ(shownFolders, QStringList{folder});

    run(ShelfContextMenu::items(archived, store, router), QStringLiteral("恢复"));
    EXPECT_FALSE(store.project(archived.id)->archivedAt.has_value());

    run(ShelfContextMenu::items(focused, store, router), QStringLiteral("取消焦点"));
    EXPECT_FALSE(store.project(focused.id)->isFocused);
}

TEST_F(ShelfContextMenuTest, OpeningTheMenuChangesNothing) {
    const AudioProject one = project("one");
    put({one});
    router.setSelection({one.id});
    const QList<AudioProject> before = store.projects();
    QMenu menu;
    ShelfContextMenu::fill(menu, ShelfContextMenu::items(one, store, router));
    EXPECT_EQ(menu.actions().size(), 5);
    EXPECT_TRUE(menu.actions().at(3)->isSeparator());
    EXPECT_EQ(store.projects(), before);
    EXPECT_EQ(router.selection(), QSet<QUuid>{one.id});
}

TEST(UserTextTest, UserTextStaysPlainInMenusAndRows) {
    EXPECT_EQ(UserText::menuText(QStringLiteral("Rock & Roll")), QStringLiteral("Rock && Roll"));
    EXPECT_EQ(UserText::menuText(QStringLiteral("a&&b")), QStringLiteral("a&&&&b"));
    EXPECT_EQ(UserText::singleLine(QStringLiteral("line one\nline two\r\nthree\u2028four")),
              QStringLiteral("line one line two  three four"));
    EXPECT_EQ(UserText::menuText(QStringLiteral("<b>x</b>\n&y")), QStringLiteral("<b>x</b> &&y"));
}

} // namespace
} // namespace sorvel::test
