#pragma once

#include <QSet>
#include <Qt>
#include <QUuid>

#include <functional>

namespace sorvel {

class AppRouter;

// What the grid and the list call when a tape is clicked: the shelf's select.
using TapeClickHandler = std::function<void(const QUuid& id, Qt::KeyboardModifiers modifiers)>;

// One selection rule for the card grid and the list: a plain click selects
// only the clicked tape (or empties the selection when it was the only one
// selected); a click with Ctrl held toggles the tape.
class TapeSelection final {
public:
    static QSet<QUuid> afterClick(const QSet<QUuid>& current, const QUuid& id, bool toggle);
    static bool togglesWith(Qt::KeyboardModifiers modifiers);
    // Applies one click on a tape to the router's selection.
    static void click(AppRouter& router, const QUuid& id, Qt::KeyboardModifiers modifiers);
    // A click on the shelf background.
    static void clear(AppRouter& router);
};

} // namespace sorvel
