#pragma once

#include "app/navigation/RouterFixture.h"
#include "app/panel/EdgePanelController.h"
#include "app/settings/UpdateChecker.h"
#include "app/settings/UpdatePrompter.h"
#include "core/Settings.h"

#include <QDateTime>
#include <QStringList>

#include <memory>

namespace sorvel::test {

// Update alerts that are only written down.
struct RecordingPrompter final : UpdatePrompter {
    ReleaseChoice askAboutRelease(const QString& message, const QString&) override {
        told << message;
        return ReleaseChoice::Later;
    }
    void tell(const QString& message, const QString&) override { told << message; }
    void open(const QUrl&) override {}

    QStringList told;
};

// A first automatic update check an hour away: none during a test.
inline UpdateChecker::Timing quietUpdateTiming() {
    UpdateChecker::Timing timing;
    timing.firstCheckMs = 3600 * 1000;
    return timing;
}

// What main.cpp hands the shell, each of the test's own: settings in the test's
// folders, the edge panel over the test's store, and an update checker whose
// alerts are only written down and whose first automatic check is an hour away.
class AppShellTest : public ShellTest {
protected:
    Settings settings{disk, Settings::applicationFilePath()};
    EdgePanelController panel{store, settings, EdgePanelController::Platform::system()};
    RecordingPrompter* prompter = new RecordingPrompter;
    UpdateChecker updates{settings, std::unique_ptr<UpdatePrompter>(prompter), quietUpdateTiming(),
                          [] { return QDateTime::currentDateTimeUtc(); }};
};

} // namespace sorvel::test
