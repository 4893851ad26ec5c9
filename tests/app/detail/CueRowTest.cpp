#include "CueTableFixture.h"
#include "DetailFixture.h"
#include "support/StoreTestSupport.h"
#include "support/Waiting.h"

#include "app/detail/CueColumns.h"
#include "app/detail/CueTableFooter.h"
#include "app/detail/CueTextField.h"
#include "app/detail/CueVersionPopover.h"
#include "app/detail/DurationChip.h"
#include "app/detail/DurationPicker.h"
#include "app/detail/NumberColumn.h"
#include "app/detail/StageMenuButton.h"
#include "core/CueTime.h"
#include "core/Settings.h"
#include "studio/AppearanceHost.h"
#include "studio/DateChip.h"
#include "studio/ElidedLine.h"
#include "studio/PlainSymbolButton.h"
#include "studio/Shapes.h"
#include "studio/StageLook.h"
#include "studio/StudioButton.h"

#include <QCursor>
#include <QEnterEvent>
#include <QLabel>
#include <QMenu>

#include <algorithm>
#include <functional>

namespace sorvel::test {
namespace {

class CueRowTest : public CueTableTest {
protected:
    void SetUp() override {
        CueTableTest::SetUp();
        open({namedCue("1", "Opening"), namedCue("2", "Chase")});
        table->activateWindow();
        // Fields hear that the keyboard left them only in the active window.
        ASSERT_TRUE(waitUntil([this] { return table->isActiveWindow(); }, 2000));
        first = table->rows().at(0);
        second = table->rows().at(1);
    }

    const Cue& storedCue(int index) const { return stored().items.at(index); }

    CueRow* first = nullptr;
    CueRow* second = nullptr;
};

TEST_F(CueRowTest, TextFieldsStoreTrimmedTextButNeverAnEmptyTitle) {
    first->focusField(CueFocus::Field::Number);
    first->numberField()->selectAll();
    typeInto(first->numberField(), QStringLiteral(" 12 "));
    EXPECT_EQ(str(storedCue(0).number), "12");
    EXPECT_EQ(str(first->numberField()->text()), " 12 "); // the field shows what was typed

    const QDateTime before = stored().updatedAt;
    first->focusField(CueFocus::Field::Title);
    first->titleField()->selectAll();
    pressKey(first->titleField(), Qt::Key_Backspace);
    EXPECT_TRUE(first->titleField()->text().isEmpty());
    EXPECT_EQ(str(storedCue(0).title), "Opening");
    typeInto(first->titleField(), QStringLiteral("  "));
    EXPECT_EQ(str(storedCue(0).title), "Opening");
    EXPECT_EQ(stored().updatedAt, before); // nothing was written

    // Return gives up the keyboard, and the field left shows the stored title again.
    pressKey(first->titleField(), Qt::Key_Return);
    EXPECT_FALSE(table->focus().has_value());
    EXPECT_EQ(str(first->titleField()->text()), "Opening");
    // Another cue's change leaves it so.
    store.updateCue(projectID, second->cue().id, [](Cue& c) { c.duration = 5; });
    EXPECT_EQ(str(first->titleField()->text()), "Opening");
}

TEST_F(CueTableTest, ACueShownWithWhiteSpaceAroundItsTextsIsStoredTrimmedOnce) {
    // As a hand-edited file may hold them; a title of white space alone is never emptied.
    const AudioProject made = project(QStringLiteral("Score"), [](AudioProject& p) {
        p.items = {namedCue(QStringLiteral(" 3\t"), QStringLiteral("  Letters")),
                   namedCue(QStringLiteral("4"), QStringLiteral("   ")),
                   namedCue(QStringLiteral("5"), QStringLiteral("Clean"))};
        p.updatedAt = Clock::now().addSecs(-3600);
    });
    projectID = made.id;
    put({made});
    ASSERT_TRUE(waitUntilIdle(store));
    ASSERT_FALSE(store.isDirty());
    int changes = 0;
    QObject::connect(&store, &ProjectStore::projectsChanged, [&changes] { ++changes; });
    const QDateTime before = stored().updatedAt;

    // Made but not shown: nothing is trimmed yet.
    table = std::make_unique<CueTable>(store, projectID, true);
    table->resize(900, table->sizeHint().height());
    ASSERT_TRUE(waitForQueuedEvents());
    EXPECT_EQ(changes, 0);

    table->show();
    ASSERT_TRUE(waitUntil([this] { return stored().items.at(0).title == QStringLiteral("Letters"); }, 2000));
    ASSERT_TRUE(waitForQueuedEvents());
    EXPECT_EQ(changes, 1) << "one change, which the rows take without asking again";
    EXPECT_EQ(str(stored().items.at(0).number), "3");
    EXPECT_EQ(str(stored().items.at(1).title), "   ");
    EXPECT_GT(stored().updatedAt, before) << "stamped";
    EXPECT_EQ(str(table->rows().at(0)->numberField()->text()), "3");
    EXPECT_EQ(str(table->rows().at(0)->titleField()->text()), "Letters");

    // Saved through the sync; once the file holds it, showing the rows again writes nothing.
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(str(projectsInFile().first().items.at(0).title), "Letters");
    table->hide();
    table->show();
    ASSERT_TRUE(waitForQueuedEvents());
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(store.isDirty());
}

TEST_F(CueTableTest, HandEditedLengthsShowWholeAndAddUpAsShown) {
    Cue negative = namedCue(QStringLiteral("1"), QStringLiteral("Minus"));
    negative.duration = -5;
    Cue plain = namedCue(QStringLiteral("2"), QStringLiteral("Letters"));
    plain.duration = 1500;
    Cue huge = namedCue(QStringLiteral("3"), QStringLiteral("Forever"));
    huge.duration = 10'000'000'000;
    open({negative, plain, huge});
    table->resize(560, table->height()); // the cue table of a 600-pixel drawer
    QApplication::processEvents();

    QStringList chips;
    for (CueRow* row : table->rows()) {
        DurationChip* chip = row->durationChip();
        chips << chip->displayText();
        EXPECT_GE(chip->width(), chip->sizeHint().width()) << "shown whole: " << str(chip->displayText());
    }
    EXPECT_EQ(chips, (QStringList{QStringLiteral("00:00"), QStringLiteral("25:00"), QStringLiteral("99:59:59")}));
    EXPECT_EQ(str(table->footer()->totalText()), str(CueTableFooter::totalText(25 * 60 + CueTime::longest)));
    EXPECT_EQ(stored().items.at(2).duration, 10'000'000'000) << "what the file holds stays";
}

TEST_F(CueRowTest, AFieldLeftShowsTheStoredTextFromItsStart) {
    table->resize(int(CueColumns::minimumWidth()), table->height());
    const QString longTitle = QStringLiteral("Main title with a long brass swell");
    second->focusField(CueFocus::Field::Title);
    second->titleField()->selectAll();
    typeInto(second->titleField(), longTitle + QStringLiteral("  "));
    ASSERT_EQ(str(storedCue(1).title), str(longTitle));
    EXPECT_GT(second->titleField()->cursorPosition(), 0); // typing scrolled it to its end

    // Leaving for another field of the table: the stored (trimmed) title, from its start.
    second->focusField(CueFocus::Field::Number);
    EXPECT_EQ(str(second->titleField()->text()), str(longTitle));
    EXPECT_EQ(second->titleField()->cursorPosition(), 0);

    // A number typed with spaces shows as stored once left, too.
    second->numberField()->selectAll();
    typeInto(second->numberField(), QStringLiteral(" 7 "));
    first->focusField(CueFocus::Field::Title);
    EXPECT_EQ(str(second->numberField()->text()), "7");

    // A cleared title was never stored: leaving brings the stored one back.
    first->titleField()->selectAll();
    pressKey(first->titleField(), Qt::Key_Backspace);
    second->focusField(CueFocus::Field::Title);
    EXPECT_EQ(str(first->titleField()->text()), "Opening");
    EXPECT_EQ(str(storedCue(0).title), "Opening");
}

TEST_F(CueRowTest, TypingSurvivesStoreChangesOfTheSameProject) {
    first->focusField(CueFocus::Field::Title);
    first->titleField()->selectAll();
    typeInto(first->titleField(), QStringLiteral("Main Title "));
    first->titleField()->setCursorPosition(4);

    store.setCueStage(projectID, second->cue().id, CueStage::Mixed);
    store.updateCue(projectID, first->cue().id, [](Cue& c) { c.duration = 90; });

    EXPECT_EQ(str(first->titleField()->text()), "Main Title ");
    EXPECT_EQ(first->titleField()->cursorPosition(), 4);
    EXPECT_EQ(str(storedCue(0).title), "Main Title");
    EXPECT_EQ(second->stageButton()->stage(), CueStage::Mixed);
    EXPECT_EQ(str(first->durationChip()->displayText()), "01:30");
    typeInto(first->titleField(), QStringLiteral("x"));
    EXPECT_EQ(str(first->titleField()->text()), "Mainx Title ");
    EXPECT_EQ(first->titleField()->cursorPosition(), 5);

    // A field that is not being edited follows the store.
    store.updateCue(projectID, first->cue().id, [](Cue& c) { c.number = QStringLiteral("1A"); });
    store.updateCue(projectID, second->cue().id, [](Cue& c) { c.title = QStringLiteral("Pursuit"); });
    EXPECT_EQ(str(first->numberField()->text()), "1A");
    EXPECT_EQ(str(second->titleField()->text()), "Pursuit");
}

TEST_F(CueRowTest, StageMenuAndDateChipsWriteThroughTheCueRules) {
    const QDateTime before = stored().updatedAt;
    QMenu* menu = first->stageButton()->menu();
    ASSERT_EQ(menu->actions().size(), 5);
    EXPECT_EQ(str(menu->actions().at(4)->text()), "已交付");
    menu->actions().at(4)->trigger();
    EXPECT_EQ(storedCue(0).stage, CueStage::Delivered);
    EXPECT_TRUE(storedCue(0).deliveredAt.has_value());
    EXPECT_GT(stored().updatedAt, before);
    EXPECT_EQ(first->titleField()->palette().color(QPalette::Text), Studio::text2());

    // Clearing the delivery date puts the cue back to mixed.
    Q_EMIT first->dateChip(Cue::DateKind::Delivered)->dateChosen(std::nullopt);
    EXPECT_EQ(storedCue(0).stage, CueStage::Mixed);
    EXPECT_FALSE(first->dateChip(Cue::DateKind::Delivered)->date().has_value());
    EXPECT_EQ(first->titleField()->palette().color(QPalette::Text), Studio::text());
}

TEST_F(CueRowTest, ATitleWiderThanItsColumnShowsItsStart) {
    table->resize(int(CueColumns::minimumWidth()), table->height());
    const QString longTitle = QStringLiteral("回忆（钢琴）一个比这一栏宽得多的名字");
    store.updateCue(projectID, second->cue().id, [&longTitle](Cue& c) { c.title = longTitle; });
    ASSERT_EQ(second->titleField()->text(), longTitle);
    EXPECT_EQ(second->titleField()->cursorPosition(), 0);

    CueTable narrow(store, projectID, true);
    narrow.resize(int(CueColumns::minimumWidth()), narrow.sizeHint().height());
    narrow.show();
    EXPECT_EQ(narrow.rows().at(1)->titleField()->cursorPosition(), 0);
}

TEST_F(CueTableTest, TheColumnsStandStillWhileTheCuesChangeAndHoldTheWidestValueOfTheirCells) {
    open({namedCue("1M01", QStringLiteral("Opening Theme")), namedCue("1M02", QStringLiteral("Love Theme"))});
    // The cue table of a 600-pixel drawer.
    table->resize(560, table->height());
    QApplication::processEvents();
    // Where each row's cells stand: the title and version by their frames, the chips by their centres.
    const auto places = [this] {
        QList<int> found;
        for (CueRow* row : table->rows()) {
            for (const QWidget* framed : std::initializer_list<const QWidget*>{row->titleField(), row->versionButton()})
                found << framed->x() << framed->width();
            for (const QWidget* centred : std::initializer_list<const QWidget*>{
                     row->durationChip(), row->stageButton(), row->dateChip(Cue::DateKind::Start),
                     row->dateChip(Cue::DateKind::Mixed), row->dateChip(Cue::DateKind::Delivered)})
                found << (2 * centred->x() + centred->width()) / 2;
        }
        return found;
    };
    // A chip of another width is centred within a pixel of where the last one was.
    const auto stillAt = [&places](const QList<int>& before) {
        const QList<int> now = places();
        if (now.size() != before.size())
            return testing::AssertionFailure() << now.size() << " places";
        for (int i = 0; i < now.size(); ++i) {
            if (std::abs(now.at(i) - before.at(i)) > 1)
                return testing::AssertionFailure()
                    << "place " << i << " moved from " << before.at(i) << " to " << now.at(i);
        }
        return testing::AssertionSuccess();
    };
    const QList<int> before = places();
    ASSERT_EQ(before.size(), 2 * 9);

    // The first cue is mixed and delivered.
    const QUuid first = stored().items.at(0).id;
    store.updateCue(projectID, first, [](Cue& c) {
        c.setDate(Cue::DateKind::Mixed, Clock::now());
        c.setDate(Cue::DateKind::Delivered, Clock::now());
    });
    EXPECT_TRUE(stillAt(before)) << "when a cue got its dates";

    // The widest each cell can show: dates of another year, 99 hours, the 999th version, every stage.
    const QUuid second = stored().items.at(1).id;
    store.updateCue(projectID, second, [](Cue& c) {
        c.duration = CueTime::longest;
        c.versions.append(CueVersion{QUuid::createUuid(), 999, Clock::now(), QStringLiteral("take")});
        c.startDate = Clock::now().addYears(-1);
        c.mixedAt = Clock::now().addYears(-1);
        c.deliveredAt = Clock::now().addYears(-1);
    });
    EXPECT_TRUE(stillAt(before)) << "for the widest values";
    const auto header = CueColumns::frames(QRectF(0, 0, table->width(), CueTable::headerHeight));
    const QList<CueColumns::Column> columns{CueColumns::Duration, CueColumns::Stage, CueColumns::Version,
                                            CueColumns::Start,    CueColumns::Mixed, CueColumns::Delivered};
    for (const CueStage stage : allCueStages()) {
        store.setCueStage(projectID, first, stage);
        EXPECT_TRUE(stillAt(before)) << "for stage " << str(StageLook::of(stage).title);
        for (CueRow* row : table->rows()) {
            auto* title = static_cast<CueTextField*>(row->titleField());
            EXPECT_EQ(title->x(), int(header[CueColumns::Title].left())) << "the title stands under its header";
            // Every other cell shows all of itself, under its header, whose title fits too.
            const QList<QWidget*> cells{row->durationChip(),
                                        row->stageButton(),
                                        row->versionButton(),
                                        row->dateChip(Cue::DateKind::Start),
                                        row->dateChip(Cue::DateKind::Mixed),
                                        row->dateChip(Cue::DateKind::Delivered)};
            for (int i = 0; i < cells.size(); ++i) {
                const QRectF column = header[columns.at(i)];
                EXPECT_GE(cells.at(i)->width(), cells.at(i)->sizeHint().width()) << "column " << columns.at(i);
                EXPECT_GE(cells.at(i)->x(), int(column.left())) << "column " << columns.at(i);
                EXPECT_LE(cells.at(i)->geometry().right(), int(std::ceil(column.right())))
                    << "column " << columns.at(i);
                const qreal headerText = Shapes::textWidth(CueColumns::headerFont(), CueColumns::title(columns.at(i)));
                EXPECT_GE(column.width(), headerText) << "the header's title fits, column " << columns.at(i);
            }
        }
    }
    // What the fixed columns leave the titles in the drawer.
    auto* title = static_cast<CueTextField*>(table->rows().at(1)->titleField());
    EXPECT_EQ(str(title->shownText()), "Love Theme") << "a short title is not cut";
}

// The columns of `image` that hold anything but its background (its top left pixel).
std::pair<int, int> inkColumns(const QImage& image) {
    const QColor background = image.pixelColor(0, 0);
    int left = image.width();
    int right = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int difference =
                std::max({std::abs(pixel.red() - background.red()), std::abs(pixel.green() - background.green()),
                          std::abs(pixel.blue() - background.blue())});
            if (difference > 40) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

TEST_F(CueRowTest, ARightToLeftTitleStartsWhereTheOtherTitlesStartAndEndsInAnEllipsis) {
    store.updateCue(projectID, first->cue().id, [](Cue& c) { c.title = QStringLiteral("مقدمة"); });
    store.updateCue(projectID, second->cue().id, [](Cue& c) { c.title = QStringLiteral("Chase"); });
    QApplication::processEvents();
    // The title cell drawn on black, so that the light text stands out whatever the test's palette.
    const auto titleInk = [](CueRow* row) {
        const QRect cell = row->titleField()->geometry();
        QImage image(cell.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        row->render(&image, QPoint(), QRegion(cell), QWidget::DrawChildren);
        return inkColumns(image);
    };
    const auto [arabicLeft, arabicRight] = titleInk(first);
    const auto [latinLeft, latinRight] = titleInk(second);
    ASSERT_GE(arabicRight, 0) << "the title is drawn";
    ASSERT_GE(latinRight, 0);
    EXPECT_LE(std::abs(arabicLeft - latinLeft), 3) << "both start at the column's leading edge";
    EXPECT_LT(arabicRight, first->titleField()->width() / 2) << "not pushed against the duration column";

    // Too long for the column: cut with an ellipsis while not typed in, whole while typed in.
    table->resize(int(CueColumns::minimumWidth()), table->height());
    const QString longTitle = QStringLiteral("مقدمة الفيلم الطويلة جدا مع الأوركسترا والجوقة الكاملة");
    store.updateCue(projectID, first->cue().id, [&longTitle](Cue& c) { c.title = longTitle; });
    QApplication::processEvents();
    auto* field = static_cast<CueTextField*>(first->titleField());
    EXPECT_TRUE(field->shownText().contains(QChar(0x2026))) << field->shownText().toStdString();
    EXPECT_LE(field->fontMetrics().horizontalAdvance(field->shownText()), field->width());
    const auto [cutLeft, cutRight] = titleInk(first);
    EXPECT_LE(std::abs(cutLeft - latinLeft), 3);
    EXPECT_LT(cutRight, field->width()) << "it keeps clear of the next column";
    first->focusField(CueFocus::Field::Title);
    ASSERT_TRUE(waitUntil([&] { return field->hasFocus(); }, 2000));
    EXPECT_EQ(field->shownText(), longTitle);
    EXPECT_EQ(field->text(), longTitle);
}

TEST_F(CueRowTest, TheVersionButtonShowsTheLastVersion) {
    EXPECT_EQ(str(first->versionButton()->text()), "v1");
    EXPECT_EQ(str(first->versionButton()->toolTip()), "版本记录");
    EXPECT_EQ(first->versionButton()->color(), Studio::text2());
    store.updateCue(projectID, first->cue().id, [](Cue& c) { c.addVersion(QStringLiteral("slower"), Clock::now()); });
    EXPECT_EQ(str(first->versionButton()->text()), "v2");
    EXPECT_TRUE(first->versionButton()->toolTip().contains(QStringLiteral("v2：slower")));
    EXPECT_EQ(first->versionButton()->color(), Studio::tint(first->versionButton()));
}

TEST_F(CueRowTest, TheNumberAndTheSelectionFollowANewAccent) {
    Settings settings(disk, environment.configHome() + QStringLiteral("/accent-test.conf"));
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("FF2D55"));
    new AppearanceHost(table.get(), AppearanceHost::Target::Main, settings);
    const auto shown = [](QLineEdit* field, QPalette::ColorRole role) {
        field->ensurePolished();
        return field->palette().color(role).name();
    };
    ASSERT_TRUE(waitUntil([&] { return shown(first->numberField(), QPalette::Text) == "#ff2d55"; }, 2000));

    settings.setValue(AppearanceHost::accentKey, QStringLiteral("34C759"));
    EXPECT_TRUE(waitUntil([&] { return shown(first->numberField(), QPalette::Text) == "#34c759"; }, 2000));
    EXPECT_EQ(shown(second->titleField(), QPalette::Highlight), "#34c759");
    EXPECT_EQ(shown(second->titleField(), QPalette::Text), Studio::text().name()); // titles keep their own colour
}

class DurationPickerTest : public ::testing::Test {
protected:
    void open(std::optional<qint64> duration) {
        reported.clear();
        picker = std::make_unique<DurationPicker>(duration);
        picker->show();
        QObject::connect(picker.get(), &DurationPicker::durationChanged,
                         [this](std::optional<qint64> value) { reported.append(value); });
    }

    void tap(DurationPicker::Unit unit, int number) {
        NumberColumn* column = picker->column(unit);
        clickAt(column->list(), column->rowRect(number).center());
    }

    TestEnvironment environment;
    std::unique_ptr<DurationPicker> picker;
    QList<std::optional<qint64>> reported;
};

TEST_F(DurationPickerTest, OpensOnTheSplitDurationAndReportsEachChange) {
    open(3725);
    EXPECT_EQ(picker->column(DurationPicker::Unit::Hours)->value(), 1);
    EXPECT_EQ(picker->column(DurationPicker::Unit::Minutes)->value(), 2);
    EXPECT_EQ(picker->column(DurationPicker::Unit::Seconds)->value(), 5);
    EXPECT_EQ(str(picker->readout()), "1:02:05");
    tap(DurationPicker::Unit::Hours, 0);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported.first(), 125);
    EXPECT_EQ(str(picker->readout()), "02:05");
}

TEST_F(DurationPickerTest, TenHoursOrMoreStayUntilAnHourIsTapped) {
    open(36000);
    EXPECT_EQ(picker->column(DurationPicker::Unit::Hours)->value(), 10);
    EXPECT_EQ(str(picker->readout()), "10:00:00");
    tap(DurationPicker::Unit::Minutes, 5);
    EXPECT_EQ(reported.last(), 36300);
    tap(DurationPicker::Unit::Hours, 2);
    EXPECT_EQ(reported.last(), 7500);
}

TEST_F(DurationPickerTest, AnEmptyDurationWritesNothingUntilTheTotalChanges) {
    open(std::nullopt);
    EXPECT_EQ(str(picker->readout()), "00:00");
    tap(DurationPicker::Unit::Seconds, 0);
    tap(DurationPicker::Unit::Hours, 0);
    EXPECT_TRUE(reported.isEmpty());
    tap(DurationPicker::Unit::Seconds, 7);
    tap(DurationPicker::Unit::Seconds, 0);
    ASSERT_EQ(reported.size(), 2);
    EXPECT_EQ(reported.at(1), 0); // a real zero, not none
}

TEST_F(DurationPickerTest, ClearReportsNoneAndReturnOnlyCloses) {
    open(90);
    clickAt(picker->clearButton(), picker->clearButton()->rect().center());
    ASSERT_EQ(reported.size(), 1);
    EXPECT_FALSE(reported.first().has_value());
    EXPECT_FALSE(picker->isVisible());

    open(90);
    pressKey(picker.get(), Qt::Key_Return);
    EXPECT_TRUE(reported.isEmpty());
    EXPECT_FALSE(picker->isVisible());
}

TEST_F(DurationPickerTest, AHugeLengthFromACraftedFileNeverWraps) {
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    open(largest);
    tap(DurationPicker::Unit::Seconds, 59);
    tap(DurationPicker::Unit::Minutes, 59);
    EXPECT_EQ(picker->total(), largest); // held at the largest length, not wrapped below zero
    EXPECT_TRUE(reported.isEmpty());
    tap(DurationPicker::Unit::Hours, 1);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported.first(), 3600 + 59 * 60 + 59);

    open(-40);
    EXPECT_EQ(str(picker->readout()), "00:00");
    EXPECT_EQ(str(DurationChip::displayText(-40)), "00:00");
    EXPECT_EQ(str(DurationChip::displayText(std::nullopt)), "--:--");
}

TEST_F(CueRowTest, TheDurationChipWritesTheCueLive) {
    first->durationChip()->click();
    DurationPicker* picker = first->durationChip()->picker();
    ASSERT_NE(picker, nullptr);
    NumberColumn* minutes = picker->column(DurationPicker::Unit::Minutes);
    clickAt(minutes->list(), minutes->rowRect(3).center());
    EXPECT_EQ(storedCue(0).duration, 180);
    EXPECT_EQ(str(first->durationChip()->displayText()), "03:00");
    clickAt(picker->clearButton(), picker->clearButton()->rect().center());
    EXPECT_FALSE(storedCue(0).duration.has_value());
    EXPECT_EQ(str(first->durationChip()->displayText()), "--:--");
}

// The pointer over `at`, within `row`, as the window system reports it.
void pointAt(CueRow* row, QWidget* at) {
    QCursor::setPos(at->mapToGlobal(at->rect().center()));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QCursor::pos());
    QApplication::sendEvent(row, &enter);
}

TEST_F(CueRowTest, ARowIsLitNoLongerThanThePointerStaysAfterItsVersionPopoverCloses) {
    // Elsewhere in the same window, so that the window system reports no leave for it.
    const QPoint away = table->footer()->mapToGlobal(table->footer()->rect().center());
    // A click outside the popover (on the shelf, say) and Escape, both with the pointer elsewhere.
    const QList<std::function<void(CueVersionPopover*)>> closings{
        [&away](CueVersionPopover* popover) {
            QMouseEvent press(QEvent::MouseButtonPress, popover->mapFromGlobal(QPointF(away)), QPointF(away),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(popover, &press);
        },
        [](CueVersionPopover* popover) { pressKey(popover->noteField(), Qt::Key_Escape); },
    };
    for (int i = 0; i < closings.size(); ++i) {
        SCOPED_TRACE(i);
        pointAt(first, first->versionButton());
        ASSERT_TRUE(first->deleteButton()->isVisible());
        clickAt(first->versionButton(), first->versionButton()->rect().center());
        QPointer<CueVersionPopover> popover = first->versionPopover();
        ASSERT_TRUE(popover && popover->isVisible());

        // The pointer moves while the popover holds it.
        QCursor::setPos(away);
        waitForQueuedEvents();
        closings.at(i)(popover);
        ASSERT_TRUE(waitUntil([&] { return !popover; }, 2000)) << "the popover stays open";
        EXPECT_TRUE(waitUntil([&] { return !first->isHovering(); }, 2000));
        EXPECT_FALSE(first->deleteButton()->isVisible());

        // The next row the pointer reaches is the only one lit.
        pointAt(second, second->titleField());
        waitForQueuedEvents();
        EXPECT_TRUE(second->deleteButton()->isVisible());
        EXPECT_FALSE(first->deleteButton()->isVisible());
        QCursor::setPos(away);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(second, &leave);
        ASSERT_FALSE(second->isHovering());
    }
}

class CueVersionPopoverTest : public CueTableTest {};

TEST_F(CueVersionPopoverTest, ABlankNoteAddsARevisionThatSendsTheCueBackToWork) {
    Cue delivered = namedCue("1M09");
    delivered.setStage(CueStage::Delivered, Clock::now().addDays(-2));
    const QDateTime started = *delivered.startDate;
    open({delivered});
    CueRow* row = table->rows().first();
    row->openVersions();
    CueVersionPopover* popover = row->versionPopover();
    ASSERT_NE(popover, nullptr);
    EXPECT_EQ(str(popover->titleText()), "版本记录 · 1M09");
    EXPECT_EQ(str(popover->addButton()->text()), "新版本 v2");
    EXPECT_EQ(popover->dateChips().size(), 1);

    typeInto(popover->noteField(), QStringLiteral(" \u3000"));
    clickAt(popover->addButton(), popover->addButton()->rect().center());
    const Cue& cue = stored().items.first();
    ASSERT_EQ(cue.versions.size(), 1);
    EXPECT_EQ(str(cue.versions.first().note), "修改");
    EXPECT_EQ(cue.versions.first().number, 2);
    EXPECT_EQ(cue.stage, CueStage::Revising);
    EXPECT_FALSE(cue.mixedAt.has_value());
    EXPECT_FALSE(cue.deliveredAt.has_value());
    EXPECT_EQ(cue.startDate, started);
    EXPECT_TRUE(popover->noteField()->text().isEmpty());
    // The popover stays and shows the new row and the next number.
    EXPECT_TRUE(popover->isVisible());
    EXPECT_EQ(popover->dateChips().size(), 2);
    EXPECT_EQ(str(popover->addButton()->text()), "新版本 v3");

    typeInto(popover->noteField(), QStringLiteral("  慢板 "));
    pressKey(popover->noteField(), Qt::Key_Return);
    EXPECT_EQ(str(stored().items.first().versions.last().note), "慢板");
}

TEST_F(CueVersionPopoverTest, ALongNoteEndsInAnEllipsisAndShowsWholeOnHover) {
    Cue cue = namedCue("3M01");
    const QString longNote = QStringLiteral("铜管在第二段提前两小节进入，弦乐改成拨弦，结尾留三秒混响尾巴给对白");
    cue.addVersion(longNote, Clock::now());
    cue.addVersion(QStringLiteral("慢板"), Clock::now());
    open({cue});
    CueRow* row = table->rows().first();
    row->openVersions();
    CueVersionPopover* popover = row->versionPopover();
    ASSERT_NE(popover, nullptr);
    QApplication::processEvents();

    const QList<ElidedLine*> notes = popover->noteLines();
    ASSERT_EQ(notes.size(), 3);
    EXPECT_EQ(str(notes.at(1)->text()), str(longNote));
    EXPECT_TRUE(notes.at(1)->shownText().endsWith(QChar(0x2026)));
    EXPECT_LE(notes.at(1)->geometry().right(), popover->contentsRect().right());
    EXPECT_EQ(str(notes.at(1)->help()), str(longNote));
    // A note that fits is shown as it is and needs no help.
    EXPECT_EQ(str(notes.at(2)->shownText()), "慢板");
    EXPECT_TRUE(notes.at(2)->help().isEmpty());
    EXPECT_EQ(popover->size().width(), CueVersionPopover::width);
}

TEST_F(CueVersionPopoverTest, AGrowingHistoryStaysOnTheScreen) {
    open({namedCue("2M04", "Finale")});
    const QRect screen = table->screen()->availableGeometry();
    // The table's last row just above the bottom of the screen, with room for the popover below it.
    CueRow* row = table->rows().first();
    table->QWidget::move(screen.left() + 40, screen.bottom() - 300 - row->geometry().bottom());
    row->openVersions();
    CueVersionPopover* popover = row->versionPopover();
    ASSERT_NE(popover, nullptr);
    ASSERT_GT(popover->geometry().top(), row->mapToGlobal(QPoint(0, 0)).y()); // opened below the row

    for (int i = 0; i < 12; ++i) {
        typeInto(popover->noteField(), QStringLiteral("take"));
        pressKey(popover->noteField(), Qt::Key_Return);
    }
    ASSERT_EQ(stored().items.first().versions.size(), 12);
    // Once the layout has settled.
    waitUntil(
        [&] {
            return popover->dateChips().size() == 13 && popover->height() >= 12 * 20
                && popover->geometry().bottom() <= screen.bottom() && popover->geometry().top() >= screen.top();
        },
        5000);
    EXPECT_EQ(popover->dateChips().size(), 13);
    EXPECT_GE(popover->height(), 12 * 20);
    EXPECT_LE(popover->geometry().bottom(), screen.bottom());
    EXPECT_GE(popover->geometry().top(), screen.top());
}

TEST_F(CueVersionPopoverTest, AHistoryTallerThanTheScreenScrollsAndKeepsTheFieldAndButtonInSight) {
    Cue cue = namedCue("1M01", QStringLiteral("Opening"));
    for (int i = 0; i < 60; ++i)
        cue.addVersion(QStringLiteral("take %1").arg(i), Clock::now());
    open({cue});
    CueRow* row = table->rows().first();
    row->openVersions();
    CueVersionPopover* popover = row->versionPopover();
    ASSERT_NE(popover, nullptr);
    const QRect screen = popover->screen()->availableGeometry();
    const auto onScreen = [&](const QWidget* widget) {
        return screen.contains(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
    };
    // The newest version, the last of the history, sits in sight above the note field.
    const auto newestInSight = [&] {
        const ElidedLine* newest = popover->noteLines().constLast();
        const QRect shown(newest->mapTo(popover, QPoint(0, 0)), newest->size());
        return newest->isVisible() && popover->rect().contains(shown) && shown.bottom() < popover->noteField()->y();
    };
    const auto fits = [&] {
        return popover->geometry().height() <= screen.height() && screen.contains(popover->geometry())
            && onScreen(popover->noteField()) && onScreen(popover->addButton()) && newestInSight();
    };
    waitUntil(fits, 2000);
    EXPECT_LE(popover->height(), screen.height()) << "the history scrolls instead of growing past the screen";
    EXPECT_TRUE(screen.contains(popover->geometry()));
    EXPECT_TRUE(onScreen(popover->noteField()));
    EXPECT_TRUE(onScreen(popover->addButton()));
    EXPECT_TRUE(newestInSight());

    // Another version: the history scrolls on to show it, the field and the button stay.
    typeInto(popover->noteField(), QStringLiteral("慢板"));
    pressKey(popover->noteField(), Qt::Key_Return);
    ASSERT_EQ(stored().items.first().versions.size(), 61);
    waitUntil([&] { return popover->noteLines().size() == 62 && fits(); }, 2000);
    EXPECT_EQ(str(popover->noteLines().constLast()->text()), "慢板");
    EXPECT_TRUE(newestInSight());
    EXPECT_TRUE(onScreen(popover->noteField()));
    EXPECT_TRUE(onScreen(popover->addButton()));
    EXPECT_EQ(popover->size().width(), CueVersionPopover::width);
}

TEST_F(CueVersionPopoverTest, ALongTitleEndsInAnEllipsisAndShowsWholeOnHover) {
    const QString longTitle = QStringLiteral("Opening Theme for the Long Night Market Sequence in the Harbor District");
    open({namedCue("1M01", longTitle)});
    CueRow* row = table->rows().first();
    row->openVersions();
    CueVersionPopover* popover = row->versionPopover();
    ASSERT_NE(popover, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(str(popover->titleText()), str(QStringLiteral("版本记录 · ") + longTitle));

    const QList<ElidedLine*> lines = popover->findChildren<ElidedLine*>();
    const auto title = std::find_if(lines.cbegin(), lines.cend(),
                                    [&](const ElidedLine* line) { return line->text() == popover->titleText(); });
    ASSERT_NE(title, lines.cend()) << "the title is a line that elides";
    EXPECT_TRUE((*title)->shownText().endsWith(QChar(0x2026)));
    EXPECT_LE((*title)->geometry().right(), popover->contentsRect().right() - 14) << "it keeps to the margin";
    EXPECT_EQ(str((*title)->help()), str(popover->titleText()));
}

TEST_F(CueVersionPopoverTest, TheNextNumberFollowsTheLastEntryAndSaturates) {
    Cue cue = namedCue("3", "Theme");
    for (const qint64 number : {2, 5, 3})
        cue.versions.append(CueVersion{QUuid::createUuid(), number, Clock::now(), QString()});
    EXPECT_EQ(str(CueVersionPopover::addButtonText(cue)), "新版本 v4");
    EXPECT_EQ(str(CueVersionPopover::title(cue)), "版本记录 · Theme");
    cue.versions.append(CueVersion{QUuid::createUuid(), std::numeric_limits<qint64>::max(), Clock::now(), QString()});
    EXPECT_EQ(CueVersionPopover::addButtonText(cue),
              QStringLiteral("新版本 v") + QString::number(std::numeric_limits<qint64>::max()));
}

TEST_F(CueVersionPopoverTest, RedatingChangesOnlyThatDate) {
    Cue cue = namedCue("1");
    cue.setStage(CueStage::Mixed, Clock::now().addDays(-5));
    cue.versions.append(CueVersion{QUuid::createUuid(), 2, Clock::now().addDays(-1), QStringLiteral("a")});
    cue.versions.append(CueVersion{QUuid::createUuid(), 3, Clock::now(), QStringLiteral("b")});
    open({cue});
    CueRow* row = table->rows().first();
    row->openVersions();
    const QList<DateChip*> chips = row->versionPopover()->dateChips();
    ASSERT_EQ(chips.size(), 3);

    const QDateTime early = Clock::now().addDays(-30);
    Q_EMIT chips.at(0)->dateChosen(early);
    Cue expected = cue;
    expected.startDate = early;
    EXPECT_EQ(stored().items.first(), expected);

    Q_EMIT chips.at(2)->dateChosen(early);
    expected.versions[1].date = early;
    EXPECT_EQ(stored().items.first(), expected); // order kept, stage and dates untouched
    EXPECT_EQ(row->versionPopover()->dateChips(), chips); // rows kept, not rebuilt
}

TEST_F(CueVersionPopoverTest, AnOpenPopoverTakesANewAccentAtOnce) {
    Cue cue = namedCue("1M01", QStringLiteral("Opening"));
    cue.addVersion(QStringLiteral("慢板"), Clock::now());
    open({cue});
    Settings settings(disk, environment.configHome() + QStringLiteral("/accent-test.conf"));
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("FF2D55"));
    new AppearanceHost(table.get(), AppearanceHost::Target::Main, settings);
    const QColor red(0xFF, 0x2D, 0x55);
    const QColor green(0x34, 0xC7, 0x59);
    ASSERT_TRUE(waitUntil([&] { return Studio::tint(table.get()) == red; }, 2000));
    CueRow* row = table->rows().first();
    row->openVersions();
    CueVersionPopover* popover = row->versionPopover();
    ASSERT_NE(popover, nullptr);
    // The version numbers as the popover draws them, v1 and v2.
    const auto numbers = [popover] {
        QList<QImage> drawn;
        for (QLabel* label : popover->findChildren<QLabel*>()) {
            if (label->text().startsWith(QLatin1Char('v')))
                drawn.append(label->grab().toImage());
        }
        return drawn;
    };
    const auto allIn = [&](const QColor& accent) {
        const QList<QImage> drawn = numbers();
        return drawn.size() == 2
            && std::all_of(drawn.cbegin(), drawn.cend(), [&](const QImage& n) { return pixelsNear(n, accent) > 0; });
    };
    ASSERT_TRUE(waitUntil([&] { return allIn(red); }, 2000));

    settings.setValue(AppearanceHost::accentKey, QStringLiteral("34C759"));
    EXPECT_TRUE(waitUntil([&] { return allIn(green); }, 2000));
    for (const QImage& number : numbers())
        EXPECT_EQ(pixelsNear(number, red), 0);
    // A version added afterwards is numbered in the new accent too.
    typeInto(popover->noteField(), QStringLiteral("快板"));
    pressKey(popover->noteField(), Qt::Key_Return);
    ASSERT_EQ(popover->dateChips().size(), 3);
    const QList<QImage> drawn = numbers();
    ASSERT_EQ(drawn.size(), 3);
    for (const QImage& number : drawn) {
        EXPECT_GT(pixelsNear(number, green), 0);
        EXPECT_EQ(pixelsNear(number, red), 0);
    }
}

TEST_F(CueRowTest, EveryControlThatTakesTheKeyboardShowsItInTheAccent) {
    Settings settings(disk, environment.configHome() + QStringLiteral("/accent-test.conf"));
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("AF52DE"));
    new AppearanceHost(table.get(), AppearanceHost::Target::Main, settings);
    const QColor purple(0xAF, 0x52, 0xDE);
    const QColor green(0x34, 0xC7, 0x59);
    ASSERT_TRUE(waitUntil([&] { return Studio::tint(table.get()) == purple; }, 2000));
    // The pointer rests on the row, so that its delete button shows and is a stop too.
    pointAt(first, first->titleField());
    ASSERT_TRUE(first->deleteButton()->isVisible());

    // Tab from the title walks the row's controls in order, then goes on to the next cue.
    const QList<QWidget*> stops{first->durationChip(),
                                first->stageButton(),
                                first->versionButton(),
                                first->dateChip(Cue::DateKind::Start),
                                first->dateChip(Cue::DateKind::Mixed),
                                first->dateChip(Cue::DateKind::Delivered),
                                first->deleteButton()};
    QList<int> unfocused;
    for (QWidget* stop : stops)
        unfocused.append(pixelsNear(stop->grab().toImage(), purple));
    first->focusField(CueFocus::Field::Title);
    ASSERT_TRUE(first->titleField()->hasFocus());
    for (int i = 0; i < stops.size(); ++i) {
        pressKey(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* stop = stops.at(i);
        ASSERT_TRUE(stop->hasFocus()) << "stop " << i << " is " << QApplication::focusWidget();
        // A ring of two pixels all round, in the accent.
        const int ring = 2 * (stop->width() + stop->height());
        EXPECT_GE(pixelsNear(stop->grab().toImage(), purple) - unfocused.at(i), ring) << "stop " << i;
    }
    // The ring follows a new accent at once.
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("34C759"));
    ASSERT_TRUE(waitUntil([&] { return Studio::tint(table.get()) == green; }, 2000));
    const QImage recoloured = first->deleteButton()->grab().toImage();
    EXPECT_GE(pixelsNear(recoloured, green), 2 * (first->deleteButton()->width() + first->deleteButton()->height()));
    EXPECT_EQ(pixelsNear(recoloured, purple), 0);

    // The delete button keeps the keyboard it holds when the pointer leaves, and goes once Tab moves on.
    QCursor::setPos(table->footer()->mapToGlobal(table->footer()->rect().center()));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(first, &leave);
    ASSERT_FALSE(first->isHovering());
    EXPECT_TRUE(first->deleteButton()->isVisible());
    pressKey(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(second->numberField()->hasFocus());
    EXPECT_FALSE(first->deleteButton()->isVisible());

    // The footer's add button comes after the last row, also once the rows have been reordered.
    table->move(second->cue().id, first->cue().id);
    ASSERT_EQ(table->rows().first(), second);
    PlainSymbolButton* add = table->footer()->addButton();
    const int addUnfocused = pixelsNear(add->grab().toImage(), green); // its text is in the accent too
    // The row's delete button, shown while the keyboard is in the row, comes before it.
    first->dateChip(Cue::DateKind::Delivered)->setFocus(Qt::TabFocusReason);
    pressKey(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(first->deleteButton()->hasFocus()) << "Tab went to " << QApplication::focusWidget();
    pressKey(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(add->hasFocus()) << "Tab went to " << QApplication::focusWidget();
    EXPECT_GE(pixelsNear(add->grab().toImage(), green) - addUnfocused, 2 * (add->width() + add->height()));
    second->dateChip(Cue::DateKind::Delivered)->setFocus(Qt::TabFocusReason);
    pressKey(QApplication::focusWidget(), Qt::Key_Tab);
    pressKey(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(first->numberField()->hasFocus()) << "Tab went to " << QApplication::focusWidget();
    // A click leaves no ring behind: it does not take the keyboard.
    first->focusField(CueFocus::Field::Title);
    clickAt(first->versionButton(), first->versionButton()->rect().center());
    EXPECT_FALSE(first->versionButton()->hasFocus());
}

TEST_F(CueRowTest, TheKeyboardAloneReachesAndPressesTheDeleteButton) {
    // The pointer is nowhere near the rows.
    QCursor::setPos(table->footer()->mapToGlobal(table->footer()->rect().center()));
    ASSERT_FALSE(first->isHovering());
    ASSERT_FALSE(first->deleteButton()->isVisible());

    // The keyboard in a row shows its delete button, and Tab along the row reaches it.
    first->focusField(CueFocus::Field::Title);
    EXPECT_TRUE(first->deleteButton()->isVisible());
    EXPECT_FALSE(second->deleteButton()->isVisible());
    first->dateChip(Cue::DateKind::Delivered)->setFocus(Qt::TabFocusReason);
    pressKey(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(first->deleteButton()->hasFocus()) << "Tab went to " << QApplication::focusWidget();

    // Once the keyboard leaves the row the button goes; Shift+Tab from the next row comes back to it.
    pressKey(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(second->numberField()->hasFocus()) << "Tab went to " << QApplication::focusWidget();
    EXPECT_FALSE(first->deleteButton()->isVisible());
    EXPECT_TRUE(second->deleteButton()->isVisible());
    QKeyEvent backtab(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &backtab);
    waitForQueuedEvents();
    ASSERT_TRUE(first->deleteButton()->hasFocus()) << "Shift+Tab went to " << QApplication::focusWidget();
    EXPECT_TRUE(first->deleteButton()->isVisible());
    EXPECT_FALSE(second->deleteButton()->isVisible());

    // Space presses it: the cue goes, and the keyboard goes with its row rather than into another cue.
    const QUuid gone = first->cue().id;
    pressKey(QApplication::focusWidget(), Qt::Key_Space, QStringLiteral(" "));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(first->deleteButton(), &release);
    waitForQueuedEvents();
    ASSERT_EQ(stored().items.size(), 1);
    EXPECT_NE(stored().items.first().id, gone);
    EXPECT_FALSE(table->isAncestorOf(QApplication::focusWidget()));
}

} // namespace
} // namespace sorvel::test
