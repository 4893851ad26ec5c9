#include "studio/PanelMaterial.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QLinearGradient>
#include <QPainter>

namespace sorvel {

const QList<PanelMaterial>& allPanelMaterials() {
    static const QList<PanelMaterial> all = {PanelMaterial::Popover, PanelMaterial::Sidebar, PanelMaterial::Hud,
                                             PanelMaterial::UnderWindow};
    return all;
}

QString storedText(PanelMaterial material) {
    switch (material) {
    case PanelMaterial::Popover: return QStringLiteral("popover");
    case PanelMaterial::Sidebar: return QStringLiteral("sidebar");
    case PanelMaterial::Hud: return QStringLiteral("hud");
    case PanelMaterial::UnderWindow: return QStringLiteral("underWindow");
    }
    return QStringLiteral("popover");
}

QString title(PanelMaterial material) {
    switch (material) {
    case PanelMaterial::Popover: return QStringLiteral("标准");
    case PanelMaterial::Sidebar: return QStringLiteral("侧边栏");
    case PanelMaterial::Hud: return QStringLiteral("深色玻璃");
    case PanelMaterial::UnderWindow: return QStringLiteral("通透");
    }
    return QStringLiteral("标准");
}

std::optional<PanelMaterial> panelMaterialFromText(const QString& text) {
    for (const PanelMaterial material : allPanelMaterials()) {
        if (storedText(material) == text)
            return material;
    }
    return std::nullopt;
}

PanelMaterial panelMaterialOrDefault(const QString& text) {
    return panelMaterialFromText(text).value_or(PanelMaterial::Popover);
}

namespace PanelMaterials {

QColor fill(PanelMaterial material) {
    switch (material) {
    case PanelMaterial::Popover: return QColor(0x2C, 0x2C, 0x31, 236); // nearly solid panel grey
    case PanelMaterial::Sidebar: return QColor(0x25, 0x27, 0x2E, 214); // cooler, a little clearer
    case PanelMaterial::Hud: return QColor(0x10, 0x10, 0x13, 196); // dark smoked glass
    case PanelMaterial::UnderWindow: return QColor(0x30, 0x30, 0x36, 165); // the clearest
    }
    return Studio::bg1();
}

void paint(QPainter& painter, const QRectF& rect, PanelMaterial material, const std::optional<QColor>& tint,
           qreal radius) {
    if (rect.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, rect, radius, fill(material));
    if (tint && tint->isValid())
        Shapes::fillRounded(painter, rect, radius, *tint);
    // Glass catches a little light along its top edge.
    QLinearGradient sheen(rect.topLeft(), QPointF(rect.left(), rect.top() + qMin<qreal>(rect.height(), 48)));
    sheen.setColorAt(0, QColor(255, 255, 255, material == PanelMaterial::Hud ? 14 : 10));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    Shapes::fillRounded(painter, rect, radius, sheen);
    painter.restore();
}

} // namespace PanelMaterials

} // namespace sorvel
