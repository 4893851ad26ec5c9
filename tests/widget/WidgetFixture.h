#pragma once

#include "core/AudioProject.h"
#include "core/FileSystem.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "core/Storage.h"
#include "support/SampleRecords.h"
#include "support/TestEnvironment.h"
#include "support/Waiting.h"
#include "widget/TimelineListener.h"
#include "widget/WidgetOptions.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace sorvel::test {

// Puts the pointer where no widget is: a widget under it keeps its rows.
inline void movePointerAway() {
    QCursor::setPos(-10000, -10000);
    QApplication::processEvents();
}

// The pointer comes to rest on a widget, as the desktop tells it.
inline void pointerEnters(QWidget* widget) {
    const QPointF local(widget->rect().center());
    QEnterEvent enter(local, local, widget->mapToGlobal(local));
    QApplication::sendEvent(widget, &enter);
}

inline void pointerLeaves(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}

// A fresh data folder and settings file for every test, the pointer away from the widgets.
class WidgetFixture : public ::testing::Test {
protected:
    WidgetFixture() { movePointerAway(); }

    TestEnvironment environment;
    PosixFileSystem disk;
    Settings settings{disk, environment.configHome() + QStringLiteral("/sorvel/sorvel.conf")};

    QString dataFile() const { return environment.dataFolder() + QStringLiteral("/projects.json"); }

    void store(const QList<AudioProject>& projects, const QList<ProjectType>& types = ProjectType::defaults()) {
        Library library;
        library.projects = projects;
        library.types = types;
        ASSERT_TRUE(Storage::save(disk, library));
    }

    AudioProject storedProject(const QUuid& id) {
        for (const AudioProject& project : Storage::load(disk).projects) {
            if (project.id == id)
                return project;
        }
        ADD_FAILURE() << "no stored project " << id.toString().toStdString();
        return {};
    }

    QStringList asideCopies() const {
        return QDir(environment.dataFolder())
            .entryList({QStringLiteral("projects-unreadable-*.json")}, QDir::Files | QDir::Hidden, QDir::Name);
    }
};

// A left-button press and release at `at` (the widget's centre by default).
inline void tap(QWidget* widget, std::optional<QPoint> at = std::nullopt) {
    ASSERT_NE(widget, nullptr);
    const QPointF local = at ? QPointF(*at) : QPointF(widget->rect().center());
    const QPointF global = widget->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// A project changed `secondsAgo` seconds ago.
inline AudioProject projectUpdated(const QString& name, qint64 secondsAgo) {
    AudioProject project = AudioProject::make(name, ProjectType::musicID);
    project.updatedAt = project.updatedAt.addSecs(-secondsAgo);
    return project;
}

// A manual project at `progress`.
inline AudioProject manualProject(const QString& name, double progress) {
    AudioProject project = AudioProject::make(name, ProjectType::sfxID);
    project.progressMode = ProgressMode::Manual;
    project.manualProgress = progress;
    return project;
}

// An automatic project whose cues are numbered 1, 2, … at these stages.
inline AudioProject projectWithStages(const QString& name, const QList<CueStage>& stages) {
    AudioProject project = AudioProject::make(name, ProjectType::musicID);
    for (int i = 0; i < stages.size(); ++i)
        project.items.append(sampleCue(QString::number(i + 1), QStringLiteral("Cue %1").arg(i + 1), stages.at(i)));
    return project;
}

// A later start of the widget program in its own thread, as a second process
// would be, while this thread runs the event loop of the first.
inline TimelineListener::Claim claimFromAnotherStart(const QList<WidgetFamily>& families,
                                                     RenderingMode mode = RenderingMode::FullColor) {
    auto later = std::async(std::launch::async, [families, mode] { return TimelineListener().claim(families, mode); });
    EXPECT_TRUE(waitUntil([&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 20000));
    return later.get();
}

} // namespace sorvel::test
