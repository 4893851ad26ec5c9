#include "app/sheets/SheetPlate.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QPainter>

namespace sorvel {

void SheetPlate::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, rect(), 8, Studio::bg2());
}

} // namespace sorvel
