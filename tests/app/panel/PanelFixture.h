#pragma once

#include "app/panel/EdgePanel.h"
#include "app/panel/EdgePanelController.h"
#include "app/panel/EdgePanelView.h"
#include "app/panel/EdgeRootView.h"
#include "app/store/ProjectStore.h"
#include "core/FileSystem.h"
#include "core/Settings.h"
#include "support/AppViewFixture.h"
#include "support/TestEnvironment.h"
#include "support/Waiting.h"

#include <QPropertyAnimation>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace sorvel::test {

// A pointer that is wherever the test puts it.
struct FakePointer final : PointerSource {
    QPointF position() const override { return at; }
    void setTracking(bool on) override { tracking = on; }
    void moveTo(const QPointF& point) {
        at = point;
        Q_EMIT moved();
    }
    QPointF at{-100, -100};
    bool tracking = false;
};

// Screens as the test sets them: the primary one, then the others.
struct FakeScreens final : ScreenSource {
    QList<ScreenArea> screens() const override {
        QList<ScreenArea> all = others;
        if (area)
            all.prepend(*area);
        return all;
    }
    void set(const std::optional<ScreenArea>& next) {
        area = next;
        Q_EMIT changed();
    }
    void setOthers(const QList<ScreenArea>& next) {
        others = next;
        Q_EMIT changed();
    }
    std::optional<ScreenArea> area;
    QList<ScreenArea> others;
};

// A collapse delay that runs only when the test says the time has passed.
struct FakeCollapseTimer final : CollapseTimer {
    void restart(int milliseconds) override {
        pending = true;
        delay = milliseconds;
        ++restarts;
    }
    void cancel() override { pending = false; }
    bool isPending() const override { return pending; }
    // The delay ran out: fires when one was pending.
    void elapse() {
        if (!pending)
            return;
        pending = false;
        Q_EMIT fired();
    }
    bool pending = false;
    int delay = 0;
    int restarts = 0;
};

// The 1440 × 900 screen with a 25-point bar at the top.
inline ScreenArea laptopScreen() {
    return {QRectF(0, 0, 1440, 900), QRectF(0, 25, 1440, 875)};
}

// A controller of its own over a store and settings of its own, with a fake
// pointer, fake screens and a fake collapse delay.
class PanelTest : public ::testing::Test {
protected:
    PanelTest() { makeController(true); }

    // A new controller over fresh fakes, the 1440 × 900 screen attached.
    void makeController(bool globalPointer) {
        auto pointerSource = std::make_unique<FakePointer>();
        auto screenSource = std::make_unique<FakeScreens>();
        auto timerSource = std::make_unique<FakeCollapseTimer>();
        pointer = pointerSource.get();
        screens = screenSource.get();
        timer = timerSource.get();
        screens->area = laptopScreen();
        EdgePanelController::Platform platform;
        platform.pointer = std::move(pointerSource);
        platform.screens = std::move(screenSource);
        platform.collapseTimer = std::move(timerSource);
        platform.globalPointer = globalPointer;
        controller = std::make_unique<EdgePanelController>(store, settings, std::move(platform));
        QObject::connect(controller.get(), &EdgePanelController::linkRequested, controller.get(),
                         [this](const QString& link) { links << link; });
    }

    AudioProject add(const QString& name, ProjectStatus status = ProjectStatus::InProgress) {
        AudioProject project = AudioProject::make(name, ProjectType::musicID);
        project.status = status;
        store.addProject(project);
        return project;
    }

    // Starts the controller and slides the panel out; its view.
    EdgePanelView& openView() {
        controller->start();
        controller->expand();
        EdgePanelView* view = controller->panel()->root().panelView();
        EXPECT_NE(view, nullptr);
        return *view;
    }

    // Waits for a slide to end where it should.
    bool settlesAt(const QRectF& frame) {
        return waitUntil([&] { return controller->panel()->geometry() == frame.toRect(); }, 2000);
    }
    // Until no slide of the panel runs.
    bool slidesEnd() {
        return waitUntil(
            [&] {
                const QList<QPropertyAnimation*> slides = controller->findChildren<QPropertyAnimation*>();
                return std::all_of(slides.cbegin(), slides.cend(), [](const QPropertyAnimation* slide) {
                    return slide->state() == QAbstractAnimation::Stopped;
                });
            },
            5000);
    }

    TestEnvironment environment;
    PosixFileSystem disk;
    QStringList openedFolders;
    ProjectStore store{
        disk,
        {[] { return std::optional<QString>(); }, [this](const QString& folder) { openedFolders << folder; }, [] {}}};
    Settings settings{disk, environment.configHome() + QStringLiteral("/panel-test.conf")};
    FakePointer* pointer = nullptr;
    FakeScreens* screens = nullptr;
    FakeCollapseTimer* timer = nullptr;
    std::unique_ptr<EdgePanelController> controller;
    QStringList links;
};

} // namespace sorvel::test
