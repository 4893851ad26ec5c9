#include "widget/WidgetLook.h"

#include "studio/Studio.h"

namespace sorvel::WidgetLook {

namespace {
const QColor white(Qt::white);
} // namespace

QColor accent(const ProjectType& kind, RenderingMode mode) {
    if (mode != RenderingMode::FullColor)
        return white;
    return Studio::typeColor(kind);
}

QColor cardFill(RenderingMode mode) {
    return mode == RenderingMode::FullColor ? Studio::label() : Studio::faded(white, 0.12);
}

QColor cardInk(RenderingMode mode) {
    return mode == RenderingMode::FullColor ? Studio::labelInk() : white;
}

QColor chipInk(RenderingMode mode) {
    return mode == RenderingMode::FullColor ? Studio::labelInk() : QColor(Qt::black);
}

QColor rowTrack(RenderingMode mode) {
    return mode == RenderingMode::FullColor ? Studio::bg3() : Studio::faded(white, 0.22);
}

QColor smallTrack() {
    return Studio::faded(white, 0.22);
}

QColor secondaryText(RenderingMode mode) {
    return mode == RenderingMode::FullColor ? Studio::text3() : Studio::faded(white, 0.6);
}

} // namespace sorvel::WidgetLook
