#pragma once

#include "support/LibraryFixture.h"
#include "support/Waiting.h"

#include "app/detail/CueRow.h"
#include "app/detail/CueTable.h"
#include "studio/Studio.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <memory>

namespace sorvel::test {

// A cue with the given number and title, not started, no dates.
inline Cue namedCue(const QString& number, const QString& title = {}) {
    Cue cue;
    cue.id = QUuid::createUuid();
    cue.number = number;
    cue.title = title;
    return cue;
}

// A store holding one project with the given cues, last changed an hour ago,
// and a shown cue table of it.
class CueTableTest : public LibraryTest {
protected:
    void open(const QList<Cue>& cues) {
        AudioProject made = project(QStringLiteral("Score"), [&cues](AudioProject& p) {
            p.items = cues;
            p.updatedAt = Clock::now().addSecs(-3600);
        });
        projectID = made.id;
        put({made});
        table = std::make_unique<CueTable>(store, projectID, true);
        table->resize(900, table->sizeHint().height());
        table->show();
    }

    const AudioProject& stored() const { return *store.project(projectID); }

    QStringList storedNumbers() const {
        QStringList numbers;
        for (const Cue& cue : stored().items)
            numbers.append(cue.number);
        return numbers;
    }

    QStringList rowNumbers() const {
        QStringList numbers;
        for (const CueRow* row : table->rows())
            numbers.append(row->cue().number);
        return numbers;
    }

    QUuid idOf(const QString& number) const {
        for (const Cue& cue : stored().items) {
            if (cue.number == number)
                return cue.id;
        }
        return {};
    }

    QUuid projectID;
    std::unique_ptr<CueTable> table;
};

// Keys as the keyboard sends them to the focused field: from the event loop,
// which handles what a key queued before the next key comes.
inline void pressKey(QWidget* field, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(field, &press);
    waitForQueuedEvents();
}

inline void typeInto(QWidget* field, const QString& text) {
    for (const QChar c : text)
        pressKey(field, 0, QString(c));
}

} // namespace sorvel::test
