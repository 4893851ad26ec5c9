#pragma once

#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "core/AudioProject.h"
#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/ProjectType.h"
#include "core/Settings.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

namespace sorvel::test {

// A music project in progress with `edit` applied; not yet in any store.
inline AudioProject project(const QString& name, const std::function<void(AudioProject&)>& edit = {}) {
    AudioProject made = AudioProject::make(name, ProjectType::musicID);
    made.status = ProjectStatus::InProgress;
    if (edit)
        edit(made);
    return made;
}

// A store of its own in fresh temporary folders whose desktop only records
// the folders it was asked to show, the default types, and a router and settings
// of its own.
class LibraryTest : public ::testing::Test {
protected:
    ProjectStore::Desktop recordingDesktop() {
        return {[] { return std::optional<QString>(); },
                [this](const QString& directory) { shownFolders.append(directory); }, [] {}};
    }

    // Puts the projects into the store so that the store holds them in the given order.
    void put(std::initializer_list<AudioProject> projects) {
        const QList<AudioProject> list(projects);
        for (auto it = list.crbegin(); it != list.crend(); ++it)
            store.addProject(*it);
    }

    static QDateTime minutesAgo(int minutes) { return Clock::now().addSecs(-60 * minutes); }

    QStringList shownFolders;
    TestEnvironment environment;
    PosixFileSystem disk;
    ProjectStore store{disk, recordingDesktop()};
    AppRouter router;
    Settings settings{disk, Settings::applicationFilePath()};
};

// A click delivered straight to a widget as the window system would.
inline void clickAt(QWidget* widget, QPointF at, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                    Qt::MouseButton button = Qt::LeftButton) {
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, modifiers);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton, modifiers);
    QApplication::sendEvent(widget, &release);
}

// The names in order, joined by "|", readable in a failure message.
inline std::string names(const QList<AudioProject>& projects) {
    QStringList list;
    for (const AudioProject& project : projects)
        list.append(project.name);
    return list.join(QLatin1Char('|')).toStdString();
}

inline std::string str(const QString& text) {
    return text.toStdString();
}

} // namespace sorvel::test
