#pragma once

#include <QString>

class QAction;
class QFont;

namespace sorvel {

// The title of a menu item (or list entry) made from user text: on one line, "&" shown as
// written, and cut with an ellipsis where it would widen the menu past
// `maxWidth`, since a menu is as wide as its widest item. A cut title has the
// whole text as its tooltip (the menu must show tooltips).
struct MenuItemText {
    static constexpr int maxWidth = 320;

    QString text;
    QString toolTip;

    // `suffix` follows the text uncut, as written ("  ·  40%").
    static MenuItemText of(const QString& userText, const QString& suffix, const QFont& font);
    // The same for an entry of a list that has no mnemonics (a combo box's popup): "&" stays single.
    static MenuItemText inList(const QString& userText, const QFont& font);
    void applyTo(QAction& action) const;

private:
    static MenuItemText cut(const QString& userText, const QString& suffix, const QFont& font,
                            QString (*shownAs)(const QString&));
};

} // namespace sorvel
