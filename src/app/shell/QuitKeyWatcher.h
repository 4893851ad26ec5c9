#pragma once

#include <QObject>

class QKeyEvent;

namespace sorvel {

// Ctrl+Q quits from every window of the program. The main window's menu
// answers the key itself, but a sheet over it, the folder chooser or the
// settings window would otherwise swallow it. Watches the whole application;
// a key the main window's shortcut already took never reaches it.
class QuitKeyWatcher final : public QObject {
    Q_OBJECT
public:
    explicit QuitKeyWatcher(QObject* parent = nullptr);
    ~QuitKeyWatcher() override;

    static bool isQuitKey(const QKeyEvent& event);

Q_SIGNALS:
    void quitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace sorvel
