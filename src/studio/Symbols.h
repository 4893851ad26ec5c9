#pragma once

#include "studio/Studio.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

namespace sorvel {

// Symbol images drawn from the icon table, tinted to any colour and sharp at
// every scale. Main thread only (pixmaps). Unknown names draw the fallback.
namespace Symbols {

bool isKnown(const QString& symbol);

// The square side that a symbol takes when set in a font of this pixel size.
qreal sideForFontSize(qreal pixelSize);

// A pixmap of side `side` logical pixels at `devicePixelRatio`, cached by
// name, size, colour, weight and ratio.
QPixmap pixmap(const QString& symbol, qreal side, const QColor& color, qreal devicePixelRatio,
               Studio::Weight weight = Studio::Weight::Regular);

// Draws the symbol centred in `box` as a square of the box's shorter side,
// at the painter's device pixel ratio.
void paint(QPainter& painter, const QRectF& box, const QString& symbol, const QColor& color,
           Studio::Weight weight = Studio::Weight::Regular);
// Draws the symbol as it would sit in text of `pixelSize`, centred on `centre`.
void paintForFont(QPainter& painter, const QPointF& centre, qreal pixelSize, const QString& symbol, const QColor& color,
                  Studio::Weight weight = Studio::Weight::Regular);

// An icon that renders on demand at whatever size and ratio it is asked for;
// disabled states draw at reduced opacity.
QIcon icon(const QString& symbol, const QColor& color, Studio::Weight weight = Studio::Weight::Regular);

// The licence text of the icon drawings, as shipped in the resources.
QString licenseText();

// Drops every cached image (tests, or a change of screens).
void clearCache();
int cachedCount();

} // namespace Symbols

} // namespace sorvel
