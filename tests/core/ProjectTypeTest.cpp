#include "core/Library.h"
#include "core/TypeRegistry.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

// Each test has a registry of its own, holding the built-in types at first.
class TypeRegistryTest : public ::testing::Test {
protected:
    TypeRegistry registry;

    int countChanges(const std::function<void()>& body) {
        int changes = 0;
        const QMetaObject::Connection connection =
            QObject::connect(&registry, &TypeRegistry::typesChanged, [&changes] { ++changes; });
        body();
        QObject::disconnect(connection);
        return changes;
    }
};

TEST(ProjectType, FixedIdentifiersAndDefaults) {
    EXPECT_EQ(ProjectType::musicID.toString(QUuid::WithoutBraces),
              QStringLiteral("00000000-0000-0000-0000-000000000001"));
    EXPECT_EQ(ProjectType::otherID.toString(QUuid::WithoutBraces),
              QStringLiteral("00000000-0000-0000-0000-000000000005"));
    const QList<ProjectType>& defaults = ProjectType::defaults();
    ASSERT_EQ(defaults.size(), 5);
    EXPECT_EQ(defaults.first(), (ProjectType{ProjectType::musicID, "配乐", "music.note", "FF2D55"}));
    EXPECT_EQ(defaults.at(2), (ProjectType{ProjectType::ambienceID, "环境声", "wind", "30B0C7"}));
    EXPECT_EQ(defaults.last(), (ProjectType{ProjectType::otherID, "其他", "square.stack", "8E8E93"}));
    EXPECT_EQ(ProjectType::fallback().id, ProjectType::otherID);
    EXPECT_EQ(ProjectType::fallback().title, QStringLiteral("未分类"));
    EXPECT_EQ(Library().types, defaults);
}

TEST(ProjectType, LegacyKindsAreCaseSensitive) {
    EXPECT_EQ(ProjectType::legacyID(QStringLiteral("music")), ProjectType::musicID);
    EXPECT_EQ(ProjectType::legacyID(QStringLiteral("sfx")), ProjectType::sfxID);
    EXPECT_EQ(ProjectType::legacyID(QStringLiteral("ambience")), ProjectType::ambienceID);
    EXPECT_EQ(ProjectType::legacyID(QStringLiteral("voice")), ProjectType::voiceID);
    EXPECT_EQ(ProjectType::legacyID(QStringLiteral("SFX")), ProjectType::otherID);
    EXPECT_EQ(ProjectType::legacyID(QStringLiteral("Music")), ProjectType::otherID);
    EXPECT_EQ(ProjectType::legacyID(QString()), ProjectType::otherID);
    EXPECT_EQ(ProjectType::legacyID(QStringLiteral("other")), ProjectType::otherID);
}

TEST_F(TypeRegistryTest, LookupFallsBackToTheFirstTypeThenTheFallback) {
    EXPECT_EQ(registry.types(), ProjectType::defaults()) << "a new registry holds the built-in types";
    EXPECT_EQ(registry.type(ProjectType::voiceID).title, QStringLiteral("对白"));
    EXPECT_EQ(registry.type(ProjectType::otherID).title, QStringLiteral("其他"));
    EXPECT_EQ(registry.type(QUuid::createUuid()).title, QStringLiteral("配乐"));

    registry.setTypes(ProjectType::defaults().mid(1)); // music deleted
    EXPECT_EQ(registry.type(ProjectType::musicID).title, QStringLiteral("音效"));

    registry.setTypes({});
    EXPECT_EQ(registry.type(ProjectType::otherID), ProjectType::fallback());
    EXPECT_EQ(registry.type(ProjectType::musicID).title, QStringLiteral("未分类"));
}

TEST_F(TypeRegistryTest, SignalsOnlyWhenTheListDiffers) {
    EXPECT_EQ(registry.types(), ProjectType::defaults()) << "a new registry holds the built-in types";

    EXPECT_EQ(countChanges([&] { registry.setTypes(ProjectType::defaults()); }), 0);

    QList<ProjectType> recoloured = ProjectType::defaults();
    recoloured[3].colorHex = QStringLiteral("112233");
    EXPECT_EQ(countChanges([&] { registry.setTypes(recoloured); }), 1);
    EXPECT_EQ(registry.types(), recoloured);
    EXPECT_EQ(countChanges([&] { registry.setTypes(recoloured); }), 0);

    QList<ProjectType> reordered = ProjectType::defaults();
    reordered.swapItemsAt(0, 1);
    EXPECT_EQ(countChanges([&] {
                  registry.setTypes(ProjectType::defaults());
                  registry.setTypes(reordered);
              }),
              2);
}

} // namespace
} // namespace sorvel
