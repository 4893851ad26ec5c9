#pragma once

#include <QColor>
#include <QEvent>
#include <QFont>
#include <QPalette>
#include <QString>

#include <optional>

class QWidget;

namespace sorvel {

struct ProjectType;

// The one dark studio look: the palette every view draws with, colour texts,
// the platform's standard colours and the fonts of the interface.
namespace Studio {

// The thirteen palette colours, opaque sRGB, each built once.
const QColor& bg0(); // deepest background
const QColor& bg1(); // sidebar, panels, tiles
const QColor& bg2(); // face of a cassette card
const QColor& bg3(); // raised or hovered surfaces, empty tape track
const QColor& line(); // borders, rules, screw slots
const QColor& text(); // primary text
const QColor& text2(); // secondary text
const QColor& text3(); // tertiary text, inactive marks
const QColor& well(); // recessed fills
const QColor& label(); // cassette label paper, reel hubs
const QColor& labelInk(); // ink on the label, reel spokes
const QColor& labelLine(); // rule across the label
const QColor& tape(); // the default accent colour

// The platform's standard colours used for states.
const QColor& systemGray(); // 8E8E93: fallback for type colours
const QColor& systemRed(); // overdue
const QColor& systemYellow(); // focus, near deadlines
const QColor& systemGreen();

// A colour from a hex text (RRGGBB or RRGGBBAA, alpha last), none when the
// text is no colour. Callers choose their own fallback.
std::optional<QColor> color(const QString& hex);
QColor color(const QString& hex, const QColor& fallback);
// Upper-case RRGGBB, plus AA only when the alpha rounds below 255; "8E8E93"
// for a colour that cannot be expressed in sRGB.
QString hexString(const QColor& color);

// A project type's colour, the system grey when its text is no colour.
QColor typeColor(const ProjectType& type);
// The same colour at another opacity (multiplied with its own alpha).
QColor faded(const QColor& color, double opacity);

// The accent colour of the window a widget is in: the tint that the
// appearance host set there, else the palette's highlight.
QColor tint(const QWidget* widget);
// The name of the widget property that carries the accent colour.
const char* tintProperty();
// The event the appearance host sends to every widget of its window once the
// tint has changed, after repainting them: a widget that keeps the tint
// somewhere (a style sheet) writes it again. Under a window's style sheet no
// palette change reaches the children, so that cannot tell them.
QEvent::Type tintChangeEvent();

// Interface fonts; sizes are device-independent pixels.
enum class Weight { Regular, Medium, Semibold, Bold, Heavy };
QFont font(qreal pixelSize, Weight weight = Weight::Regular, bool monospaced = false);

// A complete dark palette in the studio colours with this accent as highlight.
QPalette palette(const QColor& accent);

} // namespace Studio

} // namespace sorvel
