#pragma once

#include <QString>

#include <optional>

namespace sorvel {

// A colour as four 0…255 channels, the form in which hex texts are stored.
struct HexColor {
    int red = 0;
    int green = 0;
    int blue = 0;
    int alpha = 255;

    bool operator==(const HexColor&) const = default;

    // RRGGBB or RRGGBBAA after trimming blanks and tabs and one leading "#".
    static std::optional<HexColor> parse(const QString& text);
    // Upper case, no "#"; the alpha pair only when alpha is below 255.
    QString text() const;
    // From fractions 0…1 per channel, rounded half away from zero.
    static HexColor fromFractions(double red, double green, double blue, double alpha);
};

} // namespace sorvel
