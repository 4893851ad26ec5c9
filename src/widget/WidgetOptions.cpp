#include "widget/WidgetOptions.h"

#include <QCommandLineParser>

namespace sorvel {

namespace {
const QString accentedOption = QStringLiteral("accented");

QString familyDescription(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::Small: return QStringLiteral("显示小号小组件（一盘磁带）");
    case WidgetFamily::Medium: return QStringLiteral("显示中号小组件（三盘磁带）");
    case WidgetFamily::Large: return QStringLiteral("显示大号小组件（五盘磁带与下一步）");
    }
    return {};
}
} // namespace

void WidgetOptions::describe(QCommandLineParser& parser) {
    for (const WidgetFamily family : WidgetFamilies::all())
        parser.addOption({WidgetFamilies::name(family), familyDescription(family)});
    parser.addOption({accentedOption, QStringLiteral("以白色单色绘制（着色桌面的样式），而非全彩")});
}

WidgetOptions WidgetOptions::from(const QCommandLineParser& parser) {
    WidgetOptions options;
    for (const WidgetFamily family : WidgetFamilies::all()) {
        if (parser.isSet(WidgetFamilies::name(family)))
            options.families.append(family);
    }
    if (options.families.isEmpty())
        options.families.append(WidgetFamily::Medium);
    if (parser.isSet(accentedOption))
        options.mode = RenderingMode::Accented;
    return options;
}

} // namespace sorvel
