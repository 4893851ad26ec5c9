#include "DetailFixture.h"

#include "app/detail/DetailChip.h"
#include "app/detail/ProgressSection.h"
#include "app/detail/ProgressSlider.h"
#include "studio/TapeWindow.h"
#include "studio/WaveformBars.h"
#include "support/Waiting.h"

#include <QLabel>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QVariantAnimation>
#include <QWheelEvent>

namespace sorvel::test {
namespace {

QList<Cue> cues(int delivered, int total) {
    QList<Cue> list;
    for (int i = 0; i < total; ++i) {
        Cue cue;
        cue.id = QUuid::createUuid();
        cue.number = QString::number(i + 1);
        cue.stage = i < delivered ? CueStage::Delivered : CueStage::Composing;
        list << cue;
    }
    return list;
}

void mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

class ProgressSectionTest : public DetailTest {
protected:
    // A manual project at 0.40, not started, changed an hour ago.
    AudioProject manualProject() {
        return test::project(QStringLiteral("By hand"), [&](AudioProject& p) {
            p.status = ProjectStatus::NotStarted;
            p.progressMode = ProgressMode::Manual;
            p.manualProgress = 0.4;
            p.updatedAt = earlier;
        });
    }
    ProgressSection* section() const { return pane->progressSection(); }
    ProgressSlider* slider() const { return section()->slider(); }
    double storedValue() const { return stored(pane->projectID()).manualProgress; }

    QRect handleRect() const {
        QStyleOptionSlider option;
        option.initFrom(slider());
        option.orientation = Qt::Horizontal;
        option.minimum = slider()->minimum();
        option.maximum = slider()->maximum();
        option.sliderPosition = slider()->sliderPosition();
        option.sliderValue = slider()->value();
        option.subControls = QStyle::SC_All;
        return slider()->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider());
    }
};

TEST_F(ProgressSectionTest, ThreeOfEightDeliveredShows38AndTheCount) {
    open(test::project(QStringLiteral("Cues"), [](AudioProject& p) { p.items = cues(3, 8); }));
    EXPECT_EQ(section()->percentLabel()->text(), QStringLiteral("38"));
    EXPECT_EQ(section()->deliveredLabel()->text(), QStringLiteral("交付 3/8"));
    EXPECT_FALSE(section()->deliveredLabel()->isHidden());
    EXPECT_TRUE(section()->manualRow()->isHidden());
    EXPECT_TRUE(section()->modeChips().at(0)->isSelected());
    EXPECT_DOUBLE_EQ(section()->tapeWindow()->progress(), 0.375);
    EXPECT_TRUE(section()->tapeWindow()->isSpinning());
}

TEST_F(ProgressSectionTest, TheReelsTurnOnceTheDetailOfAProjectPartWayThroughIsShown) {
    const AudioProject byHand = manualProject(); // 0.40 by hand
    const AudioProject byCues = test::project(QStringLiteral("Cues"), [](AudioProject& p) { p.items = cues(2, 5); });
    put({byHand, byCues});
    for (const QUuid& id : {byHand.id, byCues.id, byHand.id}) { // the last one: opened again
        openPane(id).show();
        EXPECT_TRUE(waitUntil([&] { return section()->tapeWindow()->hubAngle() > 5; }, 3000));
    }
}

TEST_F(ProgressSectionTest, TheWaveformSpringsToANewProgressWhileTheFiguresChangeAtOnce) {
    open(manualProject()); // 0.40
    pane->show();
    const WaveformBars* bars = section()->waveform();
    QVariantAnimation* motion = section()->waveformMotion();
    EXPECT_DOUBLE_EQ(bars->progress(), 0.4) << "an opened pane starts at its figure";
    EXPECT_EQ(motion->state(), QAbstractAnimation::Stopped);

    store.update(pane->projectID(), [](AudioProject& p) { p.manualProgress = 0.9; });
    EXPECT_EQ(section()->percentLabel()->text(), QStringLiteral("90"));
    ASSERT_EQ(motion->state(), QAbstractAnimation::Running);
    EXPECT_DOUBLE_EQ(bars->progress(), 0.4) << "the bars move, they do not jump";
    EXPECT_GE(motion->duration(), 500);
    double previous = 0.4;
    for (int step = 1; step < 10; ++step) {
        motion->setCurrentTime(motion->duration() * step / 10);
        EXPECT_GT(bars->progress(), previous) << "at step " << step;
        EXPECT_LT(bars->progress(), 0.9) << "critically damped: never past the end, at step " << step;
        previous = bars->progress();
    }
    motion->setCurrentTime(motion->duration());
    EXPECT_DOUBLE_EQ(bars->progress(), 0.9);
    EXPECT_EQ(motion->state(), QAbstractAnimation::Stopped);

    // Turned back while moving, it leaves from where it stands.
    store.update(pane->projectID(), [](AudioProject& p) { p.manualProgress = 0.2; });
    motion->setCurrentTime(motion->duration() / 4);
    const double halfway = bars->progress();
    store.update(pane->projectID(), [](AudioProject& p) { p.manualProgress = 0.6; });
    EXPECT_DOUBLE_EQ(bars->progress(), halfway);
    motion->setCurrentTime(motion->duration());
    EXPECT_DOUBLE_EQ(bars->progress(), 0.6);
}

TEST_F(ProgressSectionTest, EmptyAndDoneProjectsStandStill) {
    const AudioProject empty = test::project(QStringLiteral("New"));
    open(empty);
    EXPECT_EQ(section()->percentLabel()->text(), QStringLiteral("00"));
    EXPECT_EQ(section()->deliveredLabel()->text(), QStringLiteral("交付 0/0"));
    EXPECT_FALSE(section()->tapeWindow()->isSpinning());

    store.update(empty.id, [](AudioProject& p) {
        p.progressMode = ProgressMode::Manual;
        p.manualProgress = 0.3;
        p.setStatus(ProjectStatus::Done);
    });
    EXPECT_EQ(section()->percentLabel()->text(), QStringLiteral("100"));
    EXPECT_FALSE(section()->tapeWindow()->isSpinning()) << "a done project is not active";
    EXPECT_EQ(section()->sliderPercentLabel()->text(), QStringLiteral("30")) << "the slider keeps the manual value";

    AudioProject full = test::project(QStringLiteral("Full"), [](AudioProject& p) { p.items = cues(2, 2); });
    EXPECT_FALSE(ProgressSection::spins(full)) << "exactly 1";
    full.items = cues(1, 2);
    EXPECT_TRUE(ProgressSection::spins(full));
    full.archivedAt = Clock::now();
    EXPECT_FALSE(ProgressSection::spins(full));
}

TEST_F(ProgressSectionTest, SwitchingModesKeepsTheDatesAndTheManualValue) {
    const AudioProject project = manualProject();
    open(project);
    EXPECT_FALSE(section()->manualRow()->isHidden());
    EXPECT_TRUE(section()->deliveredLabel()->isHidden());
    EXPECT_EQ(slider()->value(), 8);
    EXPECT_EQ(section()->sliderPercentLabel()->text(), QStringLiteral("40"));

    section()->modeChips().at(0)->click();
    EXPECT_EQ(stored(project.id).progressMode, ProgressMode::Auto);
    EXPECT_TRUE(section()->manualRow()->isHidden());
    section()->modeChips().at(1)->click();
    section()->modeChips().at(1)->click(); // the current mode: written, nothing changes
    EXPECT_EQ(stored(project.id).progressMode, ProgressMode::Manual);
    EXPECT_EQ(stored(project.id).updatedAt, earlier);
    EXPECT_EQ(stored(project.id).status, ProjectStatus::NotStarted);
    EXPECT_DOUBLE_EQ(storedValue(), 0.4);
    EXPECT_TRUE(store.isDirty());
}

TEST_F(ProgressSectionTest, KeyboardStepsAreSavedInSteps0f005) {
    const AudioProject project = manualProject();
    open(project).show();
    typeKey(slider(), Qt::Key_Right);
    EXPECT_DOUBLE_EQ(storedValue(), 0.45);
    EXPECT_EQ(section()->percentLabel()->text(), QStringLiteral("45"));
    EXPECT_EQ(stored(project.id).status, ProjectStatus::InProgress) << "touched with progress above 0";
    EXPECT_GT(stored(project.id).updatedAt, earlier);
    typeKey(slider(), Qt::Key_Left);
    typeKey(slider(), Qt::Key_Left);
    EXPECT_DOUBLE_EQ(storedValue(), 0.35);
    typeKey(slider(), Qt::Key_End);
    EXPECT_DOUBLE_EQ(storedValue(), 1.0);
    typeKey(slider(), Qt::Key_Home);
    EXPECT_DOUBLE_EQ(storedValue(), 0.0);
    EXPECT_EQ(section()->sliderPercentLabel()->text(), QStringLiteral("00"));
}

TEST_F(ProgressSectionTest, WheelStepsOfTheFocusedSliderAreSaved) {
    ProjectDetailView& view = open(manualProject());
    view.show();
    view.activateWindow();
    QApplication::processEvents();
    const QPointF at(slider()->rect().center());
    const auto wheel = [&] {
        QWheelEvent up(at, slider()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider(), &up);
        return up.isAccepted();
    };
    EXPECT_FALSE(wheel()) << "scrolling the pane past the slider leaves it alone";
    EXPECT_EQ(slider()->value(), 8);

    slider()->setFocus();
    EXPECT_TRUE(wheel());
    EXPECT_NE(slider()->value(), 8) << "the wheel moved it";
    EXPECT_DOUBLE_EQ(storedValue(), slider()->fraction());
}

TEST_F(ProgressSectionTest, AClickOnTheGrooveJumpsThereAndIsSaved) {
    open(manualProject()).show();
    slider()->resize(400, 24);
    const QRect handle = handleRect();
    const QPoint nearEnd(slider()->width() - handle.width() / 2 - 1, slider()->height() / 2);
    mouse(slider(), QEvent::MouseButtonPress, nearEnd, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(storedValue(), 1.0) << "saved at the press";
    mouse(slider(), QEvent::MouseButtonRelease, nearEnd, Qt::NoButton);
    EXPECT_DOUBLE_EQ(storedValue(), 1.0);
    EXPECT_EQ(slider()->value(), ProgressSlider::steps);
}

TEST_F(ProgressSectionTest, ADragIsSavedWhereItEndsAndTheStoredFiguresWaitForIt) {
    const AudioProject project = manualProject();
    open(project).show();
    slider()->resize(400, 24);
    const QRect handle = handleRect();
    mouse(slider(), QEvent::MouseButtonPress, handle.center(), Qt::LeftButton);
    ASSERT_TRUE(slider()->isSliderDown());
    const int travel = slider()->width() - handle.width();
    const QPoint to(handle.center().x() + travel * 25 / 100, handle.center().y());
    mouse(slider(), QEvent::MouseMove, to, Qt::LeftButton);
    EXPECT_EQ(section()->sliderPercentLabel()->text(), QStringLiteral("65"));
    EXPECT_EQ(section()->percentLabel()->text(), QStringLiteral("40")) << "the stored value while dragging";
    EXPECT_DOUBLE_EQ(storedValue(), 0.4);

    // A change of the same project from elsewhere does not yank the handle.
    store.update(project.id, [](AudioProject& p) { p.notes = QStringLiteral("meanwhile"); });
    EXPECT_EQ(section()->sliderPercentLabel()->text(), QStringLiteral("65"));

    mouse(slider(), QEvent::MouseButtonRelease, to, Qt::NoButton);
    EXPECT_DOUBLE_EQ(storedValue(), 0.65);
    EXPECT_EQ(section()->percentLabel()->text(), QStringLiteral("65"));
    EXPECT_GT(stored(project.id).updatedAt, earlier);
}

TEST_F(ProgressSectionTest, AValueFromElsewhereMovesTheSlider) {
    const AudioProject project = manualProject();
    open(project);
    store.update(project.id, [](AudioProject& p) { p.manualProgress = 0.33; });
    EXPECT_EQ(section()->sliderPercentLabel()->text(), QStringLiteral("33"));
    EXPECT_EQ(slider()->value(), 7);
    EXPECT_DOUBLE_EQ(storedValue(), 0.33) << "showing it wrote nothing back";
    store.update(project.id, [](AudioProject& p) { p.manualProgress = 7; }); // a hand-edited file
    EXPECT_EQ(slider()->value(), ProgressSlider::steps);
}

TEST_F(ProgressSectionTest, ReleasingAtZeroStampsButKeepsNotStarted) {
    const AudioProject project = manualProject();
    open(project).show();
    typeKey(slider(), Qt::Key_Home);
    EXPECT_DOUBLE_EQ(storedValue(), 0.0);
    EXPECT_EQ(stored(project.id).status, ProjectStatus::NotStarted);
    EXPECT_GT(stored(project.id).updatedAt, earlier);
}

} // namespace
} // namespace sorvel::test
