#include "support/StoreTestSupport.h"

#include "app/store/ProjectStore.h"
#include "core/Clock.h"
#include "core/Storage.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace sorvel::test {
namespace {

// Whatever the store holds after any run of its operations is what its file
// reads back as: a value that changed on the way through the file would count
// as changed by this program for ever after, and win every later merge.
class ProjectStoreRoundTrip : public StoreFixture, public ::testing::WithParamInterface<unsigned> {
protected:
    std::mt19937 random{GetParam()};

    int below(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); }
    bool chance() { return below(2) == 0; }

    // Texts a user can type or paste, the awkward ones included.
    QString text() {
        static const QStringList texts{QString(),
                                       QStringLiteral(" "),
                                       QStringLiteral("1M01"),
                                       QStringLiteral("07"),
                                       QStringLiteral("配乐 第二版"),
                                       QStringLiteral("line\nnext\ttab"),
                                       QStringLiteral("\"quoted\" \\ slash"),
                                       QStringLiteral("🎻 emoji"),
                                       QString(QChar(0xFEFF)) + QStringLiteral("mark first"),
                                       QStringLiteral("trailing ")};
        return texts.at(below(int(texts.size())));
    }
    QDateTime date() {
        const qint64 seconds = std::uniform_int_distribution<qint64>(-2'000'000'000, 4'000'000'000)(random);
        return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    }
    std::optional<QDateTime> maybeDate() { return chance() ? std::optional(date()) : std::nullopt; }
    double fraction() { return std::uniform_real_distribution<double>(0, 1)(random); }

    QUuid someProject(const ProjectStore& store) {
        const QList<AudioProject>& projects = store.projects();
        return projects.isEmpty() ? QUuid() : projects.at(below(int(projects.size()))).id;
    }
    QUuid someCue(const ProjectStore& store, const QUuid& project) {
        const AudioProject* found = store.project(project);
        return !found || found->items.isEmpty() ? QUuid() : found->items.at(below(int(found->items.size()))).id;
    }
    QUuid someType(const ProjectStore& store) {
        const QList<ProjectType>& types = store.registry().types();
        return types.at(below(int(types.size()))).id;
    }

    void editProject(AudioProject& p, const ProjectStore& store) {
        switch (below(12)) {
        case 0: p.name = text(); break;
        case 1: p.notes = text(); break;
        case 2: p.setStatus(allProjectStatuses().at(below(int(allProjectStatuses().size())))); break;
        case 3: p.deadline = maybeDate(); break;
        case 4: p.folderPath = chance() ? std::optional(text()) : std::nullopt; break;
        case 5: p.progressMode = chance() ? ProgressMode::Manual : ProgressMode::Auto; break;
        case 6: p.manualProgress = fraction(); break;
        case 7: p.addCue(text()); break;
        case 8: p.log.prepend(LogEntry{QUuid::createUuid(), Clock::now(), text(), p.progress()}); break;
        case 9: p.typeID = someType(store); break;
        case 10:
            if (!p.items.isEmpty())
                p.items.move(below(int(p.items.size())), below(int(p.items.size())));
            break;
        case 11:
            if (!p.items.isEmpty())
                p.items.removeAt(below(int(p.items.size())));
            break;
        }
        p.touch();
    }

    void editCue(Cue& cue) {
        switch (below(7)) {
        case 0: cue.number = chance() ? QString() : text(); break;
        case 1: cue.title = text(); break;
        case 2:
            cue.duration = chance() ? std::optional<qint64>(std::uniform_int_distribution<qint64>(0, 360000)(random))
                                    : std::nullopt;
            break;
        case 3: cue.setDate(Cue::DateKind(below(3)), maybeDate()); break;
        case 4: cue.addVersion(text(), Clock::now()); break;
        case 5: cue.setStage(allCueStages().at(below(int(allCueStages().size()))), date()); break;
        case 6:
            if (!cue.versions.isEmpty())
                cue.versions.last().note = text();
            break;
        }
    }

    // One operation of the store, at random; those that make records and
    // edit cues more often than those that delete.
    void operate(ProjectStore& store) {
        const QUuid project = someProject(store);
        static const std::array<double, 17> weights{4, 3, 2, 6, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 0.5, 1, 1};
        switch (std::discrete_distribution<int>(weights.cbegin(), weights.cend())(random)) {
        case 0: {
            AudioProject added = AudioProject::make(text(), someType(store));
            for (int i = below(4); i > 0; --i)
                added.addCue(text());
            store.addProject(added);
            break;
        }
        case 1: store.update(project, [&](AudioProject& p) { editProject(p, store); }); break;
        case 2:
            if (const AudioProject* found = store.project(project)) {
                AudioProject edited = *found;
                editProject(edited, store);
                store.replace(project, edited);
            }
            break;
        case 3: store.updateCue(project, someCue(store, project), [&](Cue& cue) { editCue(cue); }); break;
        case 4:
            store.setCueStage(project, someCue(store, project), allCueStages().at(below(int(allCueStages().size()))));
            break;
        case 5: store.advanceCue(project, someCue(store, project)); break;
        case 6: store.markDone({project}); break;
        case 7: store.setFocus(project); break;
        case 8: store.unarchive(project); break;
        case 9:
            desktop.nextChoice = text().isEmpty() ? std::nullopt : std::optional(environment.scratch());
            store.chooseFolder(project);
            break;
        case 10: store.deleteProjects({project}); break;
        case 11: store.addType(); break;
        case 12: store.moveTypes({below(5)}, below(6)); break;
        case 13: store.deleteType(someType(store), someType(store)); break;
        case 14: store.resetTypes(); break;
        case 15: store.updateType(someType(store), [&](ProjectType& type) { type.title = text(); }); break;
        case 16: store.archive({project}, ProjectStore::ArchiveOptions{false, false}, std::nullopt); break;
        }
    }
};

TEST_P(ProjectStoreRoundTrip, EveryStateOfTheStoreReadsBackFromItsFileUnchanged) {
    ProjectStore store(disk, desktop.seams());
    for (int step = 0; step < 120; ++step) {
        operate(store);
        if (!store.isDirty())
            continue;
        store.saveNow();
        ASSERT_FALSE(store.isDirty()) << "step " << step << ": " << store.saveProblem().text().toStdString();
        const Storage::ReadResult read = Storage::read(disk);
        ASSERT_EQ(read.kind, Storage::ReadResult::Kind::Decoded) << read.error.text().toStdString();
        ASSERT_TRUE(read.library == store.currentLibrary()) << "seed " << GetParam() << ", step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ProjectStoreRoundTrip, ::testing::Values(1u, 2u, 3u, 4u, 5u));

} // namespace
} // namespace sorvel::test
