#include "studio/MenuItemText.h"

#include "core/UserText.h"
#include "studio/StudioLabel.h"

#include <QAction>
#include <QFont>
#include <QFontMetrics>

namespace sorvel {

MenuItemText MenuItemText::of(const QString& userText, const QString& suffix, const QFont& font) {
    return cut(userText, suffix, font, UserText::menuText);
}

MenuItemText MenuItemText::inList(const QString& userText, const QFont& font) {
    return cut(userText, {}, font, UserText::singleLine);
}

MenuItemText MenuItemText::cut(const QString& userText, const QString& suffix, const QFont& font,
                               QString (*shownAs)(const QString&)) {
    const QString line = UserText::singleLine(userText);
    const QFontMetrics metrics(font);
    const QString shown = metrics.elidedText(line, Qt::ElideRight, maxWidth - metrics.horizontalAdvance(suffix));
    if (shown == line)
        return {shownAs(line) + suffix, {}};
    // Both ways of showing isolate a right-to-left text again, so the cut one stays apart from the suffix.
    return {shownAs(shown) + suffix, Studio::plainToolTip(line + suffix)};
}

void MenuItemText::applyTo(QAction& action) const {
    action.setText(text);
    action.setToolTip(toolTip);
}

} // namespace sorvel
