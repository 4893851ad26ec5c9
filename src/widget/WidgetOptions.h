#pragma once

#include "widget/WidgetFamily.h"

#include <QList>

class QCommandLineParser;

namespace sorvel {

// What the command line asks for: the widget sizes to show (each one window;
// the medium one when none is named) and the rendering mode.
struct WidgetOptions {
    QList<WidgetFamily> families;
    RenderingMode mode = RenderingMode::FullColor;

    // Adds --small, --medium, --large and --accented to a parser.
    static void describe(QCommandLineParser& parser);
    static WidgetOptions from(const QCommandLineParser& parser);
};

} // namespace sorvel
