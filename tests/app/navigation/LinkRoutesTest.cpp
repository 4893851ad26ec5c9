#include "app/navigation/RouterFixture.h"

#include "app/navigation/SorvelLink.h"
#include "core/RecordCoding.h"

#include <QUrl>

namespace sorvel::test {
namespace {

class LinkRoutesTest : public ShellTest {
protected:
    static QString idText(const AudioProject& project) { return RecordCoding::idText(project.id); }

    // Handles every link, each expected to answer `activates`, and returns how
    // many router signals they caused together.
    int handleAll(const QStringList& links, bool activates) {
        RouterSignals changes(router);
        for (const QString& link : links)
            EXPECT_EQ(router.handle(link, store), activates) << link.left(60).toStdString();
        return changes.total();
    }
};

TEST_F(LinkRoutesTest, OtherSchemesAreIgnoredWithoutActivation) {
    const AudioProject project = add(QStringLiteral("Score"));
    const QStringList foreign = {
        QStringLiteral("SORVEL://main"),
        QStringLiteral("Sorvel://new"),
        QStringLiteral("SORVEL://project/") + idText(project),
        QStringLiteral("https://new"),
        QStringLiteral(" sorvel://new"),
        QStringLiteral("sorvelx://new"),
        QStringLiteral("sorvel"),
        QString(),
        QStringLiteral("https://example.com/") + QString(5000, QLatin1Char('x')),
    };
    EXPECT_EQ(handleAll(foreign, false), 0);
    EXPECT_TRUE(router.selection().isEmpty());
}

TEST_F(LinkRoutesTest, HostsWithoutRouteOnlyActivate) {
    const AudioProject project = add(QStringLiteral("Score"));
    const QStringList inert = {
        QStringLiteral("sorvel://main"),
        QStringLiteral("sorvel://NEW"),
        QStringLiteral("sorvel://Project/") + idText(project),
        QStringLiteral("sorvel://Archive-Done"),
        QStringLiteral("sorvel://"),
        QStringLiteral("sorvel:new"),
        QStringLiteral("sorvel:///project/") + idText(project),
        QStringLiteral("sorvel://user@new"),
    };
    EXPECT_EQ(handleAll(inert, true), 0);
}

TEST_F(LinkRoutesTest, NewOpensTheNewProjectSheetOnce) {
    RouterSignals changes(router);
    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://new"), store));
    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://new?from=widget"), store));
    EXPECT_TRUE(router.showingNewProject());
    EXPECT_EQ(changes.newProject, 1);
    EXPECT_EQ(changes.total(), 1);
}

TEST_F(LinkRoutesTest, ProjectShowsItInItsDestination) {
    const AudioProject active = add(QStringLiteral("Active"));
    const AudioProject done = add(QStringLiteral("Done"), ProjectStatus::Done);
    const AudioProject archived = add(QStringLiteral("Archived"), ProjectStatus::Done, true);

    router.setSidebar(SidebarItem::calendar());
    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://project/") + idText(done), store));
    EXPECT_EQ(router.sidebar(), SidebarItem::done());
    EXPECT_EQ(router.selection(), QSet<QUuid>{done.id});

    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://project/") + idText(archived), store));
    EXPECT_EQ(router.sidebar(), SidebarItem::archived());

    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://project/") + idText(active), store));
    EXPECT_EQ(router.sidebar(), SidebarItem::active());
    EXPECT_EQ(router.selection(), QSet<QUuid>{active.id});
    EXPECT_FALSE(router.archiveRequest().has_value());
}

TEST_F(LinkRoutesTest, ProjectIdentifierFormsAccepted) {
    const AudioProject project = add(QStringLiteral("Score"));
    const QString upper = idText(project);
    const QStringList accepted = {
        QStringLiteral("sorvel://project/") + upper.toLower(),
        QStringLiteral("sorvel://project/ignored/earlier/") + upper,
        QStringLiteral("sorvel://project/") + upper + QStringLiteral("?query=1#fragment"),
        QStringLiteral("sorvel://project/") + upper + QStringLiteral("/"),
    };
    for (const QString& link : accepted) {
        router.setSelection({});
        EXPECT_TRUE(router.handle(link, store)) << link.toStdString();
        EXPECT_EQ(router.selection(), QSet<QUuid>{project.id}) << link.toStdString();
    }
}

TEST_F(LinkRoutesTest, MalformedIdentifiersOnlyActivate) {
    const AudioProject project = add(QStringLiteral("Score"));
    const QString id = idText(project);
    const QStringList rejected = {
        QStringLiteral("sorvel://project"),
        QStringLiteral("sorvel://project/"),
        QStringLiteral("sorvel://project/{") + id + QStringLiteral("}"),
        QStringLiteral("sorvel://project/") + QString(id).remove(QLatin1Char('-')),
        QStringLiteral("sorvel://project/") + id + QStringLiteral("0"),
        QStringLiteral("sorvel://project/%20") + id,
        QStringLiteral("sorvel://project/") + id + QStringLiteral("/extra"),
        QStringLiteral("sorvel://archive/not-an-id"),
    };
    EXPECT_EQ(handleAll(rejected, true), 0);
}

TEST_F(LinkRoutesTest, DeletedProjectKeepsTheState) {
    const AudioProject kept = add(QStringLiteral("Kept"));
    const AudioProject gone = add(QStringLiteral("Gone"));
    store.deleteProjects({gone.id});
    router.setSidebar(SidebarItem::calendar());
    router.setSelection({kept.id});
    RouterSignals changes(router);

    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://project/") + idText(gone), store));
    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://archive/") + idText(gone), store));
    EXPECT_EQ(changes.total(), 0);
    EXPECT_EQ(router.sidebar(), SidebarItem::calendar());
    EXPECT_EQ(router.selection(), QSet<QUuid>{kept.id});
    EXPECT_FALSE(router.archiveRequest().has_value());
}

TEST_F(LinkRoutesTest, ArchiveOpensTheSheetForTheLastPathComponent) {
    const AudioProject first = add(QStringLiteral("First"), ProjectStatus::Done);
    const AudioProject second = add(QStringLiteral("Second"), ProjectStatus::Done);
    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://archive/%1/%2").arg(idText(first), idText(second)), store));
    EXPECT_EQ(router.sidebar(), SidebarItem::done());
    EXPECT_EQ(router.selection(), QSet<QUuid>{second.id});
    EXPECT_EQ(router.archiveRequest(), std::optional<QSet<QUuid>>(QSet<QUuid>{second.id}));
}

TEST_F(LinkRoutesTest, ArchiveOfAnArchivedProjectStillOpensTheSheet) {
    const AudioProject archived = add(QStringLiteral("Old"), ProjectStatus::Done, true);
    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://archive/") + idText(archived), store));
    EXPECT_EQ(router.sidebar(), SidebarItem::archived());
    EXPECT_EQ(router.selection(), QSet<QUuid>{archived.id});
    EXPECT_EQ(router.archiveRequest(), std::optional<QSet<QUuid>>(QSet<QUuid>{archived.id}));
}

TEST_F(LinkRoutesTest, ArchiveDoneCollectsEveryDoneUnarchivedProject) {
    const AudioProject doneA = add(QStringLiteral("A"), ProjectStatus::Done);
    const AudioProject active = add(QStringLiteral("B"));
    const AudioProject doneB = add(QStringLiteral("C"), ProjectStatus::Done);
    add(QStringLiteral("D"), ProjectStatus::Done, true);
    router.setSelection({active.id});

    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://archive-done"), store));
    EXPECT_EQ(router.sidebar(), SidebarItem::done());
    EXPECT_EQ(router.archiveRequest(), std::optional<QSet<QUuid>>(QSet<QUuid>{doneA.id, doneB.id}));
    EXPECT_EQ(router.selection(), QSet<QUuid>{active.id});
}

TEST_F(LinkRoutesTest, ArchiveDoneWithoutDoneProjectsOpensNoSheet) {
    const AudioProject active = add(QStringLiteral("Active"));
    add(QStringLiteral("Archived"), ProjectStatus::Done, true);

    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://archive-done"), store));
    EXPECT_EQ(router.sidebar(), SidebarItem::done());
    EXPECT_FALSE(router.archiveRequest().has_value());

    // A request already pending stays as it was.
    router.setArchiveRequest(QSet<QUuid>{active.id});
    RouterSignals changes(router);
    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://archive-done"), store));
    EXPECT_EQ(router.archiveRequest(), std::optional<QSet<QUuid>>(QSet<QUuid>{active.id}));
    EXPECT_EQ(changes.total(), 0);
}

TEST_F(LinkRoutesTest, OverlongLinksOnlyActivate) {
    const AudioProject project = add(QStringLiteral("Score"));
    const QString link = QStringLiteral("sorvel://project/") + idText(project);
    const QString padding = QStringLiteral("?") + QString(SorvelLink::maxLength, QLatin1Char('x'));
    RouterSignals changes(router);

    EXPECT_TRUE(router.handle(link + padding, store));
    EXPECT_TRUE(router.handle(QStringLiteral("sorvel://new") + padding, store));
    EXPECT_EQ(changes.total(), 0);

    // At the limit the link is still read.
    const QString atLimit =
        link + QStringLiteral("?") + QString(SorvelLink::maxLength - link.size() - 1, QLatin1Char('x'));
    ASSERT_EQ(atLimit.size(), SorvelLink::maxLength);
    EXPECT_TRUE(router.handle(atLimit, store));
    EXPECT_EQ(router.selection(), QSet<QUuid>{project.id});
}

TEST_F(LinkRoutesTest, UrlFormFollowsTheSameRoutes) {
    const AudioProject project = add(QStringLiteral("Score"));
    EXPECT_TRUE(router.handle(project.deepLink(), store));
    EXPECT_EQ(router.selection(), QSet<QUuid>{project.id});
    EXPECT_FALSE(router.handle(QUrl(QStringLiteral("https://new")), store));
    EXPECT_FALSE(router.showingNewProject());
}

} // namespace
} // namespace sorvel::test
