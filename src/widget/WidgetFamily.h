#pragma once

#include <QList>
#include <QSize>
#include <QString>

#include <optional>

namespace sorvel {

// The three sizes of the widget.
enum class WidgetFamily { Small, Medium, Large };

// How the widget is drawn: in the type colours, or in white with fixed
// opacities (the accented look of a tinted desktop).
enum class RenderingMode { FullColor, Accented };

namespace WidgetFamilies {

const QList<WidgetFamily>& all();
// "small", "medium", "large": the command-line switch and the settings key part.
QString name(WidgetFamily family);
std::optional<WidgetFamily> fromName(const QString& name);
// The window size of a family.
QSize size(WidgetFamily family);
// How many projects a family shows: 1, 3 or 5.
int rowCount(WidgetFamily family);
// Only the large list names each project's next step.
bool showsNext(WidgetFamily family);

} // namespace WidgetFamilies

} // namespace sorvel
