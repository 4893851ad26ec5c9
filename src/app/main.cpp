#include "app/desktop/DesktopServices.h"
#include "app/navigation/AppRouter.h"
#include "app/panel/EdgePanelController.h"
#include "app/settings/UpdateChecker.h"
#include "app/settings/UpdatePrompter.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/QtTranslation.h"
#include "app/shell/SingleInstance.h"
#include "app/store/ProjectStore.h"
#include "core/FileSizeLimit.h"
#include "core/FileSystem.h"
#include "core/LegacyMigration.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "studio/PlatformChoice.h"
#include "studio/StudioStyle.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QIcon>

#include <memory>

namespace {

QString startLink(const QApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sorvel: 配乐与音效项目的磁带架"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("link"), QStringLiteral("要打开的 sorvel:// 链接"),
                                 QStringLiteral("[link]"));
    parser.process(app);
    const QStringList links = parser.positionalArguments();
    return links.isEmpty() ? QString() : links.first();
}

} // namespace

int main(int argc, char** argv) {
    // Settings and every other file of this program fail past a file-size limit instead of ending it.
    sorvel::FileSizeLimit::failWritesWithError();
    sorvel::PlatformChoice::preferXcb(argc, argv);
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(shell); // the icon lives in the static application library
    QApplication::setApplicationName(QStringLiteral("Sorvel"));
    QApplication::setApplicationVersion(QStringLiteral(SORVEL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("sorvel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/sorvel/app/sorvel.svg")));
    // Always the dark studio look, whatever the desktop's theme.
    sorvel::StudioStyle::install();
    sorvel::QtTranslation::install(app);

    const QString link = startLink(app);

    // A later start hands its link over and ends before it opens the data file.
    sorvel::SingleInstance instance(sorvel::SingleInstance::defaultSocketPath());
    switch (instance.claim(link)) {
    case sorvel::SingleInstance::Claim::HandedOver: return 0;
    case sorvel::SingleInstance::Claim::Unanswered:
        sorvel::Log::info(QStringLiteral("Sorvel is running but did not answer; this start ends"));
        return 1;
    case sorvel::SingleInstance::Claim::Listening:
    case sorvel::SingleInstance::Claim::Alone: break;
    }

    // The one of each that the program has, handed to whoever needs it. The
    // earlier product's settings are taken over before anything reads them.
    // The disk, under everything that reads or writes the data file, the
    // rescue copies and the settings; it outlives them all.
    sorvel::PosixFileSystem disk;
    sorvel::Settings settings(disk, sorvel::Settings::applicationFilePath());
    sorvel::LegacyMigration::migrateSettings(disk, settings);
    sorvel::ProjectStore store(disk, sorvel::DesktopServices::system());
    sorvel::AppRouter router;
    sorvel::EdgePanelController panel(store, settings, sorvel::EdgePanelController::Platform::system());
    sorvel::UpdateChecker updates(settings, std::make_unique<sorvel::MessageBoxPrompter>(),
                                  sorvel::UpdateChecker::Timing{}, [] { return QDateTime::currentDateTimeUtc(); });
    sorvel::AppDelegate delegate(store, router, settings, panel, updates);
    QObject::connect(&instance, &sorvel::SingleInstance::linkReceived, &delegate, &sorvel::AppDelegate::openLink);
    delegate.launch(link);
    return app.exec();
}
