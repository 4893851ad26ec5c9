#pragma once

#include "core/ProjectType.h"
#include "widget/WidgetFamily.h"

#include <QColor>
#include <QUuid>

namespace sorvel::WidgetLook {

// Space between the widget's edge and its content.
constexpr int contentMargin = 14;
constexpr qreal cornerRadius = 20;

// The colour a project's type stands for: the type's colour in full colour
// (grey when its text is no colour), white in the accented look.
QColor accent(const ProjectType& kind, RenderingMode mode);
// Fill of the small view's label card.
QColor cardFill(RenderingMode mode);
// Ink of the project name on that card.
QColor cardInk(RenderingMode mode);
// Text on the type chip.
QColor chipInk(RenderingMode mode);
// The unlit bars of a list row's waveform.
QColor rowTrack(RenderingMode mode);
// The unlit bars of the small view's waveform (accented look only).
QColor smallTrack();
// Secondary texts: the tape count and the next-step line.
QColor secondaryText(RenderingMode mode);

} // namespace sorvel::WidgetLook
