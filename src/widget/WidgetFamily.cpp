#include "widget/WidgetFamily.h"

namespace sorvel::WidgetFamilies {

const QList<WidgetFamily>& all() {
    static const QList<WidgetFamily> families{WidgetFamily::Small, WidgetFamily::Medium, WidgetFamily::Large};
    return families;
}

QString name(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::Small: return QStringLiteral("small");
    case WidgetFamily::Medium: return QStringLiteral("medium");
    case WidgetFamily::Large: return QStringLiteral("large");
    }
    return QStringLiteral("medium");
}

std::optional<WidgetFamily> fromName(const QString& text) {
    for (const WidgetFamily family : all()) {
        if (name(family) == text)
            return family;
    }
    return std::nullopt;
}

QSize size(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::Small: return {170, 170};
    case WidgetFamily::Medium: return {364, 170};
    case WidgetFamily::Large: return {364, 382};
    }
    return {364, 170};
}

int rowCount(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::Small: return 1;
    case WidgetFamily::Medium: return 3;
    case WidgetFamily::Large: return 5;
    }
    return 3;
}

bool showsNext(WidgetFamily family) {
    return family == WidgetFamily::Large;
}

} // namespace sorvel::WidgetFamilies
