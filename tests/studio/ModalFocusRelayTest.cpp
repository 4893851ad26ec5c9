#include "support/Waiting.h"

#include "studio/ModalFocusRelay.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QWidget>

#include <memory>

namespace sorvel {
namespace {

struct Windows {
    std::unique_ptr<QWidget> main = std::make_unique<QWidget>();
    std::unique_ptr<QWidget> other = std::make_unique<QWidget>();

    Windows() {
        main->show();
        other->show();
        test::waitUntil([this] { return main->isVisible() && other->isVisible(); }, 2000);
    }
};

TEST(ModalFocusRelay, HandsTheKeyboardToTheSheetWhenItsWindowIsActivated) {
    Windows windows;
    auto* relay = new ModalFocusRelay(windows.main.get());
    QList<QWidget*> handedTo;
    QObject::connect(relay, &ModalFocusRelay::handedOver, [&](QWidget* modal) { handedTo.append(modal); });

    // Without a sheet the window keeps the keyboard it is given.
    QApplication::setActiveWindow(windows.other.get());
    QApplication::setActiveWindow(windows.main.get());
    ASSERT_TRUE(test::waitUntil([&] { return QApplication::activeWindow() == windows.main.get(); }, 2000));
    ASSERT_TRUE(test::waitForQueuedEvents());
    EXPECT_TRUE(handedTo.isEmpty());

    auto* sheet = new QDialog(windows.main.get());
    sheet->setWindowModality(Qt::WindowModal);
    sheet->open();
    ASSERT_TRUE(test::waitUntil([&] { return QApplication::activeWindow() == sheet; }, 2000));

    // A window manager that focuses the clicked, blocked window: Qt itself
    // would pass such a request on to the sheet, the window manager does not.
    QApplication::setActiveWindow(windows.main.get());
    ASSERT_TRUE(test::waitUntil([&] { return !handedTo.isEmpty(); }, 2000));
    EXPECT_EQ(handedTo, QList<QWidget*>{sheet});

    sheet->reject();
    handedTo.clear();
    QApplication::setActiveWindow(windows.other.get());
    QApplication::setActiveWindow(windows.main.get());
    ASSERT_TRUE(test::waitUntil([&] { return QApplication::activeWindow() == windows.main.get(); }, 2000));
    ASSERT_TRUE(test::waitForQueuedEvents());
    EXPECT_TRUE(handedTo.isEmpty());
}

TEST(ModalFocusRelay, FindsOnlyModalsThatBlockTheWindow) {
    Windows windows;
    EXPECT_EQ(ModalFocusRelay::blockingModal(windows.main.get()), nullptr);

    // A sheet of another window leaves this one free.
    auto* otherSheet = new QDialog(windows.other.get());
    otherSheet->setWindowModality(Qt::WindowModal);
    otherSheet->open();
    ASSERT_TRUE(test::waitUntil([&] { return otherSheet->isVisible(); }, 2000));
    EXPECT_EQ(ModalFocusRelay::blockingModal(windows.main.get()), nullptr);
    EXPECT_EQ(ModalFocusRelay::blockingModal(windows.other.get()), otherSheet);
    otherSheet->reject();

    // A chooser opened by this window's sheet blocks the window too.
    auto* sheet = new QDialog(windows.main.get());
    sheet->setWindowModality(Qt::WindowModal);
    sheet->open();
    auto* chooser = new QDialog(sheet);
    chooser->setWindowModality(Qt::WindowModal);
    chooser->open();
    ASSERT_TRUE(test::waitUntil([&] { return chooser->isVisible(); }, 2000));
    EXPECT_EQ(ModalFocusRelay::blockingModal(windows.main.get()), chooser);
    EXPECT_EQ(ModalFocusRelay::blockingModal(sheet), chooser);
    chooser->reject();
    sheet->reject();

    auto* everything = new QDialog();
    everything->setWindowModality(Qt::ApplicationModal);
    everything->show();
    ASSERT_TRUE(test::waitUntil([&] { return everything->isVisible(); }, 2000));
    EXPECT_EQ(ModalFocusRelay::blockingModal(windows.other.get()), everything);
    delete everything;
    EXPECT_EQ(ModalFocusRelay::blockingModal(windows.other.get()), nullptr);
}

} // namespace
} // namespace sorvel
