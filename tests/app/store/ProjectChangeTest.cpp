#include "app/store/ProjectChange.h"
#include "app/store/ProjectStore.h"
#include "support/StoreTestSupport.h"

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

AudioProject named(const QString& name) {
    return AudioProject::make(name, ProjectType::musicID);
}

QSet<QUuid> idsOf(std::initializer_list<AudioProject> projects) {
    QSet<QUuid> ids;
    for (const AudioProject& project : projects)
        ids.insert(project.id);
    return ids;
}

TEST(ProjectChange, NamesTheProjectsAddedRemovedAndChanged) {
    const AudioProject a = named(QStringLiteral("A"));
    const AudioProject b = named(QStringLiteral("B"));
    const AudioProject c = named(QStringLiteral("C"));
    AudioProject renamed = b;
    renamed.name = QStringLiteral("B2");

    EXPECT_TRUE(ProjectChange::between({a, b, c}, {a, b, c}).isEmpty());
    const ProjectChange edited = ProjectChange::between({a, b, c}, {a, renamed, c});
    EXPECT_FALSE(edited.all);
    EXPECT_EQ(edited.ids, idsOf({b}));

    const AudioProject d = named(QStringLiteral("D"));
    const ProjectChange added = ProjectChange::between({a, b, c}, {d, a, b, c});
    EXPECT_FALSE(added.all);
    EXPECT_EQ(added.ids, idsOf({d}));

    const ProjectChange removedAndEdited = ProjectChange::between({a, b, c}, {a, renamed});
    EXPECT_FALSE(removedAndEdited.all);
    EXPECT_EQ(removedAndEdited.ids, idsOf({b, c}));

    // Same size, one project replaced by another in its place.
    const ProjectChange swapped = ProjectChange::between({a, b, c}, {a, d, c});
    EXPECT_FALSE(swapped.all);
    EXPECT_EQ(swapped.ids, idsOf({b, d}));
}

TEST(ProjectChange, AMoveOrARepeatedIdCountsAsEverything) {
    const AudioProject a = named(QStringLiteral("A"));
    const AudioProject b = named(QStringLiteral("B"));
    const AudioProject c = named(QStringLiteral("C"));
    EXPECT_TRUE(ProjectChange::between({a, b, c}, {b, a, c}).all);
    EXPECT_TRUE(ProjectChange::between({a, b, c}, {c, a}).all);
    EXPECT_TRUE(ProjectChange::between({a, b}, {a, b, a}).all);
    EXPECT_TRUE(ProjectChange::between({a, a, b}, {a, b}).all);

    ProjectChange folded = ProjectChange::of(a.id);
    folded.add(ProjectChange::of(b.id));
    EXPECT_EQ(folded.ids, idsOf({a, b}));
    EXPECT_TRUE(folded.touches(b.id));
    EXPECT_FALSE(folded.touches(c.id));
    folded.add(ProjectChange::everything());
    EXPECT_TRUE(folded.touches(c.id));
}

class StoreChanges : public StoreFixture {
protected:
    ProjectStore store{disk, desktop.seams()};

    AudioProject add(const AudioProject& project) {
        store.addProject(project);
        return project;
    }
    AudioProject add(const QString& name) { return add(named(name)); }
};

TEST_F(StoreChanges, EveryNoticeNamesWhatTheOperationTouched) {
    const AudioProject first = add(QStringLiteral("First"));
    EXPECT_EQ(store.lastChange().ids, QSet<QUuid>{first.id});
    const AudioProject second = add(QStringLiteral("Second"));
    const AudioProject third = add(QStringLiteral("Third"));
    EXPECT_EQ(store.lastChange().ids, QSet<QUuid>{third.id});

    store.update(second.id, [](AudioProject& p) { p.notes = QStringLiteral("changed"); });
    EXPECT_EQ(store.lastChange().ids, QSet<QUuid>{second.id});
    EXPECT_FALSE(store.lastChange().all);

    store.setFocus(first.id);
    EXPECT_EQ(store.lastChange().ids, QSet<QUuid>{first.id});
    store.setFocus(third.id); // moves the focus: both records change
    EXPECT_EQ(store.lastChange().ids, (QSet<QUuid>{first.id, third.id}));

    store.deleteProjects({second.id, first.id});
    EXPECT_EQ(store.lastChange().ids, (QSet<QUuid>{first.id, second.id}));

    // Adding a record whose id is already held: nothing can be followed per id.
    add(third);
    EXPECT_TRUE(store.lastChange().all);
}

} // namespace
} // namespace sorvel::test
