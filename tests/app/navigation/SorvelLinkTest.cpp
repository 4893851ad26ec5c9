#include "app/navigation/SorvelLink.h"
#include "core/SorvelLinks.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

// What one program writes, the application reads as the route meant.
TEST(SorvelLink, EveryBuiltLinkReadsBackAsItsRoute) {
    const QUuid id = QUuid::createUuid();
    const auto routeOf = [](const QString& text) {
        const std::optional<SorvelLink> link = SorvelLink::parse(text);
        return link ? link->route : SorvelLink::Route::None;
    };
    EXPECT_TRUE(SorvelLink::parse(SorvelLinks::mainWindow()).has_value());
    EXPECT_EQ(routeOf(SorvelLinks::mainWindow()), SorvelLink::Route::None);
    EXPECT_EQ(routeOf(SorvelLinks::newProject()), SorvelLink::Route::New);
    EXPECT_EQ(routeOf(SorvelLinks::archiveDone()), SorvelLink::Route::ArchiveDone);

    const std::optional<SorvelLink> project = SorvelLink::parse(SorvelLinks::project(id));
    ASSERT_TRUE(project);
    EXPECT_EQ(project->route, SorvelLink::Route::Project);
    EXPECT_EQ(project->projectID, id);

    const std::optional<SorvelLink> archive = SorvelLink::parse(SorvelLinks::archive(id));
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->route, SorvelLink::Route::Archive);
    EXPECT_EQ(archive->projectID, id);
    // As desktop entries and other programs spell them.
    EXPECT_EQ(SorvelLinks::mainWindow(), QStringLiteral("sorvel://main"));
    EXPECT_EQ(SorvelLinks::newProject(), QStringLiteral("sorvel://new"));
}

} // namespace
} // namespace sorvel
