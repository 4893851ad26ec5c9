#include "studio/Studio.h"

#include "core/HexColor.h"
#include "core/ProjectType.h"
#include "core/SystemColors.h"
#include "core/UnitFraction.h"

#include <QStringList>
#include <QVariant>
#include <QWidget>

namespace sorvel::Studio {

namespace {

// The palette texts are constants; one that failed to parse is a programming error.
QColor constant(const char* hex) {
    const auto parsed = color(QString::fromLatin1(hex));
    Q_ASSERT_X(parsed.has_value(), "Studio", hex);
    return parsed.value_or(QColor(Qt::magenta));
}

} // namespace

#define SORVEL_STUDIO_COLOR(name, hex)                                                                                 \
    const QColor& name() {                                                                                             \
        static const QColor value = constant(hex);                                                                     \
        return value;                                                                                                  \
    }

SORVEL_STUDIO_COLOR(bg0, "202024")
SORVEL_STUDIO_COLOR(bg1, "29292E")
SORVEL_STUDIO_COLOR(bg2, "34343A")
SORVEL_STUDIO_COLOR(bg3, "414148")
SORVEL_STUDIO_COLOR(line, "4B4B53")
SORVEL_STUDIO_COLOR(text, "F4F1EB")
SORVEL_STUDIO_COLOR(text2, "C2BFB8")
SORVEL_STUDIO_COLOR(text3, "8E8D93")
SORVEL_STUDIO_COLOR(well, "18181B")
SORVEL_STUDIO_COLOR(label, "F1E6CF")
SORVEL_STUDIO_COLOR(labelInk, "2B2420")
SORVEL_STUDIO_COLOR(labelLine, "D3C4A2")
SORVEL_STUDIO_COLOR(tape, "FF7A3D")
SORVEL_STUDIO_COLOR(systemGray, SystemColors::gray)
SORVEL_STUDIO_COLOR(systemRed, "FF453A")
SORVEL_STUDIO_COLOR(systemYellow, "FFD60A")
SORVEL_STUDIO_COLOR(systemGreen, "32D74B")

#undef SORVEL_STUDIO_COLOR

std::optional<QColor> color(const QString& hex) {
    const auto parsed = HexColor::parse(hex);
    if (!parsed)
        return std::nullopt;
    return QColor(parsed->red, parsed->green, parsed->blue, parsed->alpha);
}

QColor color(const QString& hex, const QColor& fallback) {
    return color(hex).value_or(fallback);
}

QString hexString(const QColor& value) {
    if (!value.isValid())
        return QString::fromLatin1(SystemColors::gray);
    const QColor rgb = value.toRgb();
    return HexColor::fromFractions(rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF()).text();
}

QColor typeColor(const ProjectType& type) {
    return color(type.colorHex, systemGray());
}

QColor faded(const QColor& value, double opacity) {
    QColor result = value;
    result.setAlphaF(float(value.alphaF() * clampedFraction(opacity)));
    return result;
}

const char* tintProperty() {
    return "sorvelTint";
}

QEvent::Type tintChangeEvent() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

QColor tint(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant value = w->property(tintProperty());
        if (value.canConvert<QColor>()) {
            const QColor accent = value.value<QColor>();
            if (accent.isValid())
                return accent;
        }
    }
    return widget ? widget->palette().color(QPalette::Highlight) : tape();
}

QFont font(qreal pixelSize, Weight weight, bool monospaced) {
    QFont result;
    if (monospaced) {
        result.setFamilies(
            {QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("monospace")});
        result.setStyleHint(QFont::Monospace);
    } else {
        result.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans"),
                            QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
        result.setStyleHint(QFont::SansSerif);
    }
    result.setPixelSize(qMax(1, qRound(pixelSize)));
    switch (weight) {
    case Weight::Regular: result.setWeight(QFont::Normal); break;
    case Weight::Medium: result.setWeight(QFont::Medium); break;
    case Weight::Semibold: result.setWeight(QFont::DemiBold); break;
    case Weight::Bold: result.setWeight(QFont::Bold); break;
    case Weight::Heavy: result.setWeight(QFont::Black); break;
    }
    return result;
}

QPalette palette(const QColor& accent) {
    QPalette p;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        p.setColor(group, QPalette::Window, bg0());
        p.setColor(group, QPalette::WindowText, disabled ? text3() : text());
        p.setColor(group, QPalette::Base, well());
        p.setColor(group, QPalette::AlternateBase, bg1());
        p.setColor(group, QPalette::ToolTipBase, bg3());
        p.setColor(group, QPalette::ToolTipText, text());
        p.setColor(group, QPalette::PlaceholderText, faded(text3(), 0.8));
        p.setColor(group, QPalette::Text, disabled ? text3() : text());
        p.setColor(group, QPalette::Button, bg3());
        p.setColor(group, QPalette::ButtonText, disabled ? text3() : text());
        p.setColor(group, QPalette::BrightText, Qt::white);
        p.setColor(group, QPalette::Light, line());
        p.setColor(group, QPalette::Midlight, bg3());
        p.setColor(group, QPalette::Mid, bg2());
        p.setColor(group, QPalette::Dark, bg1());
        p.setColor(group, QPalette::Shadow, QColor(0, 0, 0, 160));
        p.setColor(group, QPalette::Highlight, disabled ? line() : accent);
        p.setColor(group, QPalette::HighlightedText, bg0());
        p.setColor(group, QPalette::Link, accent);
        p.setColor(group, QPalette::LinkVisited, accent);
    }
    return p;
}

} // namespace sorvel::Studio
