#include "app/navigation/SidebarItem.h"

#include "core/Clock.h"
#include "core/ProjectType.h"
#include "core/TypeRegistry.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

AudioProject project(ProjectStatus status, bool archived, const QUuid& typeID = ProjectType::musicID) {
    AudioProject result = AudioProject::make(QStringLiteral("P"), typeID);
    result.status = status;
    if (archived)
        result.archivedAt = Clock::now();
    return result;
}

TEST(SidebarItemTest, MembershipFollowsArchiveStatusAndType) {
    const AudioProject running = project(ProjectStatus::Review, false);
    const AudioProject done = project(ProjectStatus::Done, false);
    const AudioProject archivedRunning = project(ProjectStatus::InProgress, true);
    const AudioProject archivedDone = project(ProjectStatus::Done, true);
    const AudioProject otherType = project(ProjectStatus::NotStarted, false, ProjectType::sfxID);

    EXPECT_TRUE(SidebarItem::active().includes(running));
    EXPECT_FALSE(SidebarItem::active().includes(done));
    EXPECT_FALSE(SidebarItem::active().includes(archivedRunning));

    EXPECT_TRUE(SidebarItem::done().includes(done));
    EXPECT_FALSE(SidebarItem::done().includes(running));
    EXPECT_FALSE(SidebarItem::done().includes(archivedDone));

    EXPECT_TRUE(SidebarItem::archived().includes(archivedRunning));
    EXPECT_TRUE(SidebarItem::archived().includes(archivedDone));
    EXPECT_FALSE(SidebarItem::archived().includes(done));

    for (const AudioProject& any : {running, done, archivedRunning, archivedDone, otherType})
        EXPECT_FALSE(SidebarItem::calendar().includes(any));

    const SidebarItem music = SidebarItem::type(ProjectType::musicID);
    EXPECT_TRUE(music.includes(running));
    EXPECT_TRUE(music.includes(done));
    EXPECT_FALSE(music.includes(archivedDone));
    EXPECT_FALSE(music.includes(otherType));
}

TEST(SidebarItemTest, EqualityComparesTheTypeOnlyForTypes) {
    const QUuid id = QUuid::createUuid();
    EXPECT_EQ(SidebarItem::type(id), SidebarItem::type(id));
    EXPECT_NE(SidebarItem::type(id), SidebarItem::type(QUuid::createUuid()));
    EXPECT_NE(SidebarItem::type(QUuid()), SidebarItem::active());
    EXPECT_EQ(SidebarItem::done(), (SidebarItem{SidebarItem::Kind::Done, id}));
}

TEST(SidebarItemTest, TitlesAndSymbols) {
    const TypeRegistry defaults;
    EXPECT_EQ(SidebarItem::active().title(defaults), QStringLiteral("进行中"));
    EXPECT_EQ(SidebarItem::done().title(defaults), QStringLiteral("已完成"));
    EXPECT_EQ(SidebarItem::archived().title(defaults), QStringLiteral("已归档"));
    EXPECT_EQ(SidebarItem::calendar().title(defaults), QStringLiteral("日历"));
    EXPECT_EQ(SidebarItem::active().symbol(defaults), QStringLiteral("circle.lefthalf.filled"));
    EXPECT_EQ(SidebarItem::done().symbol(defaults), QStringLiteral("checkmark.circle"));
    EXPECT_EQ(SidebarItem::archived().symbol(defaults), QStringLiteral("archivebox"));
    EXPECT_EQ(SidebarItem::calendar().symbol(defaults), QStringLiteral("calendar"));
}

TEST(SidebarItemTest, TypeDestinationsReadTheRegistryAtEveryCall) {
    TypeRegistry registry;
    const ProjectType first{QUuid::createUuid(), QStringLiteral("Trailer"), QStringLiteral("film"),
                            QStringLiteral("FF0000")};
    const ProjectType second{QUuid::createUuid(), QStringLiteral("Game"), QStringLiteral("gamecontroller"),
                             QStringLiteral("00FF00")};
    registry.setTypes({first, second});

    const SidebarItem item = SidebarItem::type(second.id);
    EXPECT_EQ(item.title(registry), QStringLiteral("Game"));
    EXPECT_EQ(item.symbol(registry), QStringLiteral("gamecontroller"));

    // Once the type is deleted the destination takes the first type's face.
    registry.setTypes({first});
    EXPECT_EQ(item.title(registry), QStringLiteral("Trailer"));
    EXPECT_EQ(item.symbol(registry), QStringLiteral("film"));

    registry.setTypes({});
    EXPECT_EQ(item.title(registry), ProjectType::fallback().title);
}

} // namespace
} // namespace sorvel
