#include "core/DrawnOrder.h"
#include "core/ProjectType.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

AudioProject named(const QString& name) {
    return AudioProject::make(name, ProjectType::musicID);
}

QStringList names(const QList<AudioProject>& projects) {
    QStringList result;
    for (const AudioProject& project : projects)
        result << project.name;
    return result;
}

TEST(DrawnOrder, AReSortedListComesBackAsItWasDrawn) {
    const AudioProject a = named(QStringLiteral("a")), b = named(QStringLiteral("b")), c = named(QStringLiteral("c"));
    const QList<QUuid> drawn = DrawnOrder::ids({a, b, c});
    EXPECT_EQ(names(DrawnOrder::keep(drawn, {c, a, b})), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(names(DrawnOrder::keep(drawn, {b, c, a})), (QStringList{"a", "b", "c"}));
    // Nothing drawn yet: the fresh order as it is.
    EXPECT_EQ(names(DrawnOrder::keep({}, {c, a, b})), (QStringList{"c", "a", "b"}));
}

TEST(DrawnOrder, NewcomersKeepTheirPlaceAndLeaversGo) {
    const AudioProject a = named(QStringLiteral("a")), b = named(QStringLiteral("b")), c = named(QStringLiteral("c"));
    const AudioProject fresh = named(QStringLiteral("new"));
    const QList<QUuid> drawn = DrawnOrder::ids({a, b, c});
    // A new project on top stays on top; the others keep their drawn order below it.
    EXPECT_EQ(names(DrawnOrder::keep(drawn, {fresh, c, b, a})), (QStringList{"new", "a", "b", "c"}));
    EXPECT_EQ(names(DrawnOrder::keep(drawn, {c, fresh, a})), (QStringList{"a", "new", "c"}));
    // b left the list: a and c keep their order, nothing is added.
    EXPECT_EQ(names(DrawnOrder::keep(drawn, {c, a})), (QStringList{"a", "c"}));
    EXPECT_TRUE(DrawnOrder::keep(drawn, {}).isEmpty());
}

} // namespace
} // namespace sorvel
