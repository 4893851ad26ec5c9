#include "core/FileSizeLimit.h"
#include "core/FileSystem.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "studio/PlatformChoice.h"
#include "studio/StudioStyle.h"
#include "widget/TimelineListener.h"
#include "widget/WidgetHost.h"
#include "widget/WidgetOptions.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    // Settings and every other file of this program fail past a file-size limit instead of ending it.
    sorvel::FileSizeLimit::failWritesWithError();
    sorvel::PlatformChoice::preferXcb(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvel Widget"));
    QApplication::setApplicationVersion(QStringLiteral(SORVEL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("sorvel-widget"));
    sorvel::StudioStyle::install();
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("音频项目：查看进行中的配乐与音效项目，直接勾选条目。"));
    parser.addHelpOption();
    parser.addVersionOption();
    sorvel::WidgetOptions::describe(parser);
    parser.process(app);
    const sorvel::WidgetOptions options = sorvel::WidgetOptions::from(parser);

    // One program draws every widget: a start while one runs hands it these
    // sizes and this look, and ends.
    sorvel::TimelineListener listener;
    switch (listener.claim(options.families, options.mode)) {
    case sorvel::TimelineListener::Claim::HandedOver: return 0;
    case sorvel::TimelineListener::Claim::Unanswered:
        sorvel::Log::info(QStringLiteral("Sorvel widget is running but did not answer; this start ends"));
        return 1;
    case sorvel::TimelineListener::Claim::Listening:
    case sorvel::TimelineListener::Claim::Alone: break;
    }
    // The disk, under everything that reads or writes the data file and the settings.
    sorvel::PosixFileSystem disk;
    sorvel::Settings settings(disk, sorvel::Settings::applicationFilePath());
    sorvel::WidgetHost host(disk, options.families, options.mode, settings);
    QObject::connect(&listener, &sorvel::TimelineListener::reloadRequested, &host, &sorvel::WidgetHost::reloadAll);
    QObject::connect(&listener, &sorvel::TimelineListener::familiesRequested, &host, &sorvel::WidgetHost::show);
    QObject::connect(&host, &sorvel::WidgetHost::allClosed, &app, &QCoreApplication::quit);
    host.start();
    return app.exec();
}
