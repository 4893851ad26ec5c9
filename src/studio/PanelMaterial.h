#pragma once

#include <QColor>
#include <QList>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

namespace sorvel {

// The background materials the user can choose for the edge panel, stored as
// their raw texts under appearance.panelMaterial. Without a blurring
// compositor each is a distinct translucent fill.
enum class PanelMaterial { Popover, Sidebar, Hud, UnderWindow };

const QList<PanelMaterial>& allPanelMaterials();
QString storedText(PanelMaterial material); // "popover", "sidebar", "hud", "underWindow"
QString title(PanelMaterial material); // "标准", "侧边栏", "深色玻璃", "通透"
// Exact, case-sensitive; any other text gives none.
std::optional<PanelMaterial> panelMaterialFromText(const QString& text);
// The material a stored text stands for: popover when it names none.
PanelMaterial panelMaterialOrDefault(const QString& text);

namespace PanelMaterials {

// The translucent fill of a material.
QColor fill(PanelMaterial material);
// Fills `rect` (rounded by `radius`) with the material, then the optional
// tint layer over it, then a faint top highlight.
void paint(QPainter& painter, const QRectF& rect, PanelMaterial material, const std::optional<QColor>& tint,
           qreal radius = 0);

} // namespace PanelMaterials

} // namespace sorvel
