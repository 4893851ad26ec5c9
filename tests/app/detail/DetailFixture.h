#pragma once

#include "app/detail/ProjectDetailView.h"
#include "support/LibraryFixture.h"
#include "support/Waiting.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QKeyEvent>

#include <cstdlib>
#include <memory>

namespace sorvel::test {

// A store with the default types, a router, and the detail pane of one project.
class DetailTest : public LibraryTest {
protected:
    // Puts the project into the store and opens its detail pane.
    ProjectDetailView& open(const AudioProject& project) {
        put({project});
        return openPane(project.id);
    }
    ProjectDetailView& openPane(const QUuid& id) {
        pane = std::make_unique<ProjectDetailView>(id, store, router);
        pane->resize(600, 900);
        return *pane;
    }
    const AudioProject& stored(const QUuid& id) const { return *store.project(id); }

    static QDateTime anHourAgo() { return minutesAgo(60); }

    // A modification date to give projects, so that a stamp shows.
    const QDateTime earlier = anHourAgo();
    std::unique_ptr<ProjectDetailView> pane;
};

// A key typed into a widget as the window system would deliver it: from the
// event loop, which handles what the key queued before the next key comes.
inline void typeKey(QWidget* widget, int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
    waitForQueuedEvents();
}

// Pixels of an image within a few steps of a colour.
inline int pixelsNear(const QImage& image, const QColor& color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - color.red()) < 24 && std::abs(pixel.green() - color.green()) < 24
                && std::abs(pixel.blue() - color.blue()) < 24)
                ++count;
        }
    }
    return count;
}

inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        typeKey(widget, 0, QString(c));
}

} // namespace sorvel::test
