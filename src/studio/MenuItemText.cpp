#include "studio/MenuItemText.h"

#include "core/UserText.h"
#include "studio/StudioLabel.h"

#include <QAction>
#include <QFont>
#include <QFontMetrics>

namespace sorvel {

MenuItemText MenuItemText::of(const QString& userText, const QString& suffix, const QFont& font) {
    const QString line = UserText::singleLine(userText);
    const QFontMetrics metrics(font);
    const QString shown = metrics.elidedText(line, Qt::ElideRight, maxWidth - metrics.horizontalAdvance(suffix));
    if (shown == line)
        return {UserText::menuText(line) + suffix, {}};
    // menuText isolates a right-to-left name again, so the cut one stays apart from the suffix.
    return {UserText::menuText(shown) + suffix, Studio::plainToolTip(line + suffix)};
}

void MenuItemText::applyTo(QAction& action) const {
    action.setText(text);
    action.setToolTip(toolTip);
}

} // namespace sorvel
