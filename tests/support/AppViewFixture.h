#pragma once

#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "core/AudioProject.h"
#include "core/FileSystem.h"
#include "core/ProjectType.h"
#include "core/Settings.h"
#include "core/TypeRegistry.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace sorvel::test {

// A store of its own in fresh temporary folders, no desktop behind it, the default
// types registered, and a router and settings of its own.
class AppViewTest : public ::testing::Test {
protected:
    static ProjectStore::Desktop quietDesktop() {
        return {[] { return std::optional<QString>(); }, [](const QString&) {}, [] {}};
    }

    // Adds at the front of the store, like every project made in the application.
    AudioProject add(AudioProject project) {
        store.addProject(project);
        return project;
    }
    AudioProject add(const QString& name, const QUuid& typeID = ProjectType::musicID) {
        return add(AudioProject::make(name, typeID));
    }
    const AudioProject& stored(const QUuid& id) const { return *store.project(id); }

    TestEnvironment environment;
    PosixFileSystem disk;
    ProjectStore store{disk, quietDesktop()};
    AppRouter router;
    Settings settings{disk, Settings::applicationFilePath()};
};

// Synthetic input, delivered straight to a widget as the window system would.
inline void click(QWidget* widget, QPoint at = QPoint(-1, -1)) {
    const QPointF position = at == QPoint(-1, -1) ? QPointF(widget->rect().center()) : QPointF(at);
    const QPointF global = widget->mapToGlobal(position);
    QMouseEvent press(QEvent::MouseButtonPress, position, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, position, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

inline void pressKey(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

} // namespace sorvel::test
