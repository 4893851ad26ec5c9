#pragma once

#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "core/AudioProject.h"
#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/ProjectType.h"
#include "core/RecordCoding.h"
#include "support/TestEnvironment.h"

#include <QObject>
#include <QStringList>

#include <gtest/gtest.h>

#include <optional>

namespace sorvel::test {

// A store of its own inside fresh temporary folders, with no desktop behind it,
// and a router of its own.
class ShellTest : public ::testing::Test {
protected:
    static ProjectStore::Desktop quietDesktop() {
        return {[] { return std::optional<QString>(); }, [](const QString&) {}, [] {}};
    }

    AudioProject add(const QString& name, ProjectStatus status = ProjectStatus::InProgress, bool archived = false) {
        AudioProject project = AudioProject::make(name, ProjectType::otherID);
        project.status = status;
        if (status == ProjectStatus::Done)
            project.completedAt = Clock::now();
        if (archived)
            project.archivedAt = Clock::now();
        store.addProject(project);
        return project;
    }

    // Every link that opens a sheet; the archive link names `project`.
    static QStringList sheetLinks(const AudioProject& project) {
        return {
            QStringLiteral("sorvel://new"),
            QStringLiteral("sorvel://archive/") + RecordCoding::idText(project.id),
            QStringLiteral("sorvel://archive-done"),
        };
    }

    TestEnvironment environment;
    PosixFileSystem disk;
    ProjectStore store{disk, quietDesktop()};
    AppRouter router;
};

// Counts every change signal of a router.
struct RouterSignals : QObject {
    explicit RouterSignals(AppRouter& router) {
        QObject::connect(&router, &AppRouter::sidebarChanged, this, [this] { ++sidebar; });
        QObject::connect(&router, &AppRouter::selectionChanged, this, [this] { ++selection; });
        QObject::connect(&router, &AppRouter::showingNewProjectChanged, this, [this] { ++newProject; });
        QObject::connect(&router, &AppRouter::showingTypeEditorChanged, this, [this] { ++typeEditor; });
        QObject::connect(&router, &AppRouter::detailExpandedChanged, this, [this] { ++detailExpanded; });
        QObject::connect(&router, &AppRouter::archiveRequestChanged, this, [this] { ++archiveRequest; });
    }
    int total() const { return sidebar + selection + newProject + typeEditor + detailExpanded + archiveRequest; }

    int sidebar = 0;
    int selection = 0;
    int newProject = 0;
    int typeEditor = 0;
    int detailExpanded = 0;
    int archiveRequest = 0;
};

} // namespace sorvel::test
