// Renders every drawing and control of the studio look in its states into
// PNG files under build/test-output/studio, for a person to look at
// (build/bench/sorvel-gallery; the tests check the drawings themselves).
#include "studio/PaintProbe.h"
#include "support/SampleRecords.h"

#include "studio/CassetteCard.h"
#include "studio/DateChip.h"
#include "studio/DatePopover.h"
#include "studio/KindBadge.h"
#include "studio/PanelMaterial.h"
#include "studio/ProgressCapsule.h"
#include "studio/ReelView.h"
#include "studio/SectionTitle.h"
#include "studio/StageAdvanceIcon.h"
#include "studio/StageBadge.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioField.h"
#include "studio/StudioLabel.h"
#include "studio/Symbols.h"
#include "studio/SymbolTable.h"
#include "studio/TapeWindow.h"
#include "studio/WaveformBars.h"

#include "core/Clock.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace sorvel {
namespace {

constexpr qreal ratio = 2;
const QColor accent(0xFF, 0x7A, 0x3D);

class Gallery : public ::testing::Test {
protected:
    void save(const QImage& image, const QString& name) {
        const QString path = test::outputFolder(QStringLiteral("studio")) + QLatin1Char('/') + name;
        EXPECT_TRUE(image.save(path)) << path.toStdString();
        EXPECT_GT(QFileInfo(path).size(), 1000) << path.toStdString();
    }
    QImage canvas(const QSize& size, const std::function<void(QPainter&)>& draw) {
        return test::renderImage(
            size,
            [&](QPainter& painter) {
                painter.setRenderHint(QPainter::Antialiasing);
                draw(painter);
            },
            Studio::bg0(), ratio);
    }
    QImage grab(QWidget& widget) {
        if (!widget.isWindow() || !(widget.windowFlags() & Qt::Popup)) {
            widget.show();
            QCoreApplication::processEvents();
        }
        widget.adjustSize();
        widget.ensurePolished();
        // Let the layouts settle at the adjusted size before the picture is taken.
        QCoreApplication::processEvents();
        QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Studio::bg0());
        widget.render(&image);
        return image;
    }
    // Gives a panel the studio palette and the accent, as an appearance host would.
    static void host(QWidget& panel) {
        panel.setPalette(Studio::palette(accent));
        panel.setProperty(Studio::tintProperty(), accent);
    }
    void caption(QPainter& painter, const QPointF& at, const QString& text) {
        painter.setFont(Studio::font(10, Studio::Weight::Medium, true));
        painter.setPen(Studio::text3());
        painter.drawText(at, text);
    }
};

AudioProject project(const QString& name, const QUuid& type) {
    AudioProject p = AudioProject::make(name, type);
    p.id = QUuid::fromString(QStringLiteral("6F1C2B9A-3D4E-4F50-8A61-7B2C3D4E5F60"));
    p.status = ProjectStatus::InProgress;
    p.items = {test::sampleCue(QStringLiteral("M01"), QStringLiteral("片头"), CueStage::Delivered, 95),
               test::sampleCue(QStringLiteral("M02"), QStringLiteral("田野清晨"), CueStage::Mixed, 140),
               test::sampleCue(QStringLiteral("M03"), QStringLiteral("开场"), CueStage::Composing, 80)};
    return p;
}

TEST_F(Gallery, CassetteCards) {
    struct Card {
        QString caption;
        AudioProject project;
        ProjectType kind;
        CassetteCard::Look look;
    };
    const auto& types = ProjectType::defaults();
    QList<Card> cards;
    const CassetteCard::Look plain{false, false, accent};

    AudioProject next = project(QStringLiteral("Farming 春季配乐"), types[0].id);
    next.deadline = Clock::startOfToday().addDays(12);
    cards.append({QStringLiteral("next step"), next, types[0], plain});

    AudioProject late = project(QStringLiteral("雨夜追逐 音效包"), types[1].id);
    late.deadline = Clock::startOfToday().addDays(-2);
    cards.append({QStringLiteral("late"), late, types[1], plain});

    AudioProject done = project(QStringLiteral("城市环境声 Vol.2"), types[2].id);
    done.status = ProjectStatus::Done;
    done.deadline = Clock::startOfToday().addDays(-20);
    cards.append({QStringLiteral("done"), done, types[2], plain});

    AudioProject archived = project(QStringLiteral("旁白录制：第三章"), types[3].id);
    archived.status = ProjectStatus::Done;
    archived.archivedAt = Clock::startOfToday().addDays(-40);
    cards.append({QStringLiteral("archived"), archived, types[3], plain});

    AudioProject manual = AudioProject::make(QStringLiteral("品牌声音 Logo"), types[4].id);
    manual.progressMode = ProgressMode::Manual;
    manual.manualProgress = 0.6;
    manual.items = {test::sampleCue(QStringLiteral("L1"), QStringLiteral("主标识"), CueStage::Delivered, 65),
                    test::sampleCue(QStringLiteral("L2"), QStringLiteral("短版"), CueStage::Delivered, 60)};
    cards.append({QStringLiteral("manual"), manual, types[4], plain});

    AudioProject focused = next;
    focused.isFocused = true;
    focused.name = QStringLiteral("焦点项目：一个很长很长很长很长的名字会被截断");
    cards.append({QStringLiteral("focused"), focused, types[0], plain});

    cards.append({QStringLiteral("selected + focused"), focused, types[0], {true, false, accent}});
    cards.append({QStringLiteral("hovered (reels turned)"), next, types[0], {false, true, accent, 25}});

    AudioProject fresh = AudioProject::make(QStringLiteral("新磁带"), types[0].id);
    cards.append({QStringLiteral("new, no cues"), fresh, types[0], plain});

    ProjectType broken = types[1];
    broken.colorHex = QStringLiteral("oops");
    broken.symbol = QStringLiteral("not.a.symbol");
    AudioProject tiny = late;
    tiny.deadline.reset();
    tiny.items[2].stage = CueStage::Revising;
    tiny.progressMode = ProgressMode::Manual;
    tiny.manualProgress = 0.004;
    cards.append(
        {QStringLiteral("bad colour, unknown symbol, 0.4%"), tiny, broken, {false, false, QColor(0x00, 0x7A, 0xFF)}});

    const qreal width = 300;
    const qreal height = CassetteCard::naturalHeight();
    const qreal cellH = height + 30;
    const QSize size(int(2 * width + 60), int(cellH * ((cards.size() + 1) / 2) + 20));
    save(canvas(size,
                [&](QPainter& painter) {
                    for (int i = 0; i < cards.size(); ++i) {
                        const QPointF origin(20 + (i % 2) * (width + 20), 20 + (i / 2) * cellH);
                        caption(painter, origin + QPointF(2, 10), cards[i].caption);
                        CassetteCard::paint(painter, QRectF(origin + QPointF(0, 18), QSizeF(width, height)),
                                            cards[i].project, cards[i].kind, cards[i].look);
                    }
                }),
         QStringLiteral("cassette-cards.png"));

    // Narrow and squeezed frames.
    save(canvas(QSize(520, 220),
                [&](QPainter& painter) {
                    CassetteCard::paint(painter, QRectF(10, 10, 190, height), next, types[0], plain);
                    CassetteCard::paint(painter, QRectF(220, 10, 120, 80), next, types[0], plain);
                    CassetteCard::paint(painter, QRectF(360, 10, 40, 30), next, types[0], plain);
                }),
         QStringLiteral("cassette-cards-narrow.png"));
}

TEST_F(Gallery, BadgesTitlesAndCapsules) {
    save(canvas(QSize(620, 300),
                [&](QPainter& painter) {
                    qreal y = 24;
                    caption(painter, QPointF(20, y),
                            QStringLiteral("StageBadge full / compact, StageAdvanceIcon 18 / 28"));
                    y += 14;
                    for (const CueStage stage : allCueStages()) {
                        StageBadge::paint(painter, QRectF(20, y, 100, 24), stage, false);
                        StageBadge::paint(painter, QRectF(130, y, 40, 24), stage, true);
                        StageAdvanceIcon::paint(painter, QRectF(190, y + 3, 18, 18), stage);
                        StageAdvanceIcon::paint(painter, QRectF(225, y - 2, 28, 28), stage);
                        y += 34;
                    }
                    y += 10;
                    caption(painter, QPointF(20, y),
                            QStringLiteral("KindBadge 26 / 40, every default type, bad colour"));
                    y += 12;
                    qreal x = 20;
                    QList<ProjectType> kinds = ProjectType::defaults();
                    ProjectType broken{QUuid::createUuid(), QStringLiteral("坏"), QStringLiteral("tag"),
                                       QStringLiteral("xyz")};
                    kinds.append(broken);
                    for (const ProjectType& kind : kinds) {
                        KindBadge::paint(painter, QRectF(x, y + 7, 26, 26), kind);
                        KindBadge::paint(painter, QRectF(x + 32, y, 40, 40), kind);
                        x += 90;
                    }

                    // Right column: section titles and capsules.
                    qreal ry = 24;
                    caption(painter, QPointF(300, ry), QStringLiteral("SectionTitle"));
                    ry += 8;
                    SectionTitle::paint(painter, QRectF(300, ry, 300, 20), QStringLiteral("条目"),
                                        QStringLiteral("CUES"), QStringLiteral("12′30″"), accent);
                    ry += 26;
                    SectionTitle::paint(painter, QRectF(300, ry, 300, 20), QStringLiteral("进度记录"),
                                        QStringLiteral("LOG"), std::nullopt, QColor(0x00, 0x7A, 0xFF));
                    ry += 40;
                    caption(painter, QPointF(300, ry), QStringLiteral("ProgressCapsule 0, 0.01, 0.4, 1, NaN, 1.7"));
                    ry += 10;
                    const double values[] = {0, 0.01, 0.4, 1, std::nan(""), 1.7};
                    for (const double value : values) {
                        ProgressCapsule::paint(painter, QRectF(300, ry, 200, 6), value, accent, 6);
                        ProgressCapsule::paint(painter, QRectF(510, ry + 1, 80, 4), value, QColor(0x5A, 0xC8, 0xFA), 4);
                        ry += 16;
                    }
                }),
         QStringLiteral("badges.png"));
}

TEST_F(Gallery, TapeReelsAndWaveforms) {
    const QUuid seed = QUuid::fromString(QStringLiteral("6F1C2B9A-3D4E-4F50-8A61-7B2C3D4E5F60"));
    save(canvas(
             QSize(640, 490),
             [&](QPainter& painter) {
                 caption(painter, QPointF(20, 20),
                         QStringLiteral("ReelView 22 / 44: amount -1, 0.3, 0.7, 2; hub at 0 and 30 degrees"));
                 const double amounts[] = {-1, 0.3, 0.7, 2};
                 for (int i = 0; i < 4; ++i) {
                     ReelView::paint(painter, QRectF(20 + i * 60, 32, 22, 22), amounts[i]);
                     ReelView::paint(painter, QRectF(260 + i * 60, 30, 44, 44), amounts[i], i % 2 ? 30 : 0);
                 }
                 caption(painter, QPointF(20, 100),
                         QStringLiteral("TapeWindow reel 30: progress 0, 0.001, 0.5, 1; reel 44 at 0"));
                 const double progress[] = {0, 0.001, 0.5, 1};
                 for (int i = 0; i < 4; ++i)
                     TapeWindow::paint(painter, QRectF(20 + (i % 2) * 300, 110 + (i / 2) * 52, 280, 40.8), progress[i],
                                       accent, 30);
                 TapeWindow::paint(painter, QRectF(20, 220, 400, 44 * 1.36), 0, accent, 44);
                 TapeWindow::paint(painter, QRectF(440, 225, 60, 40), 0.5, accent, 30);
                 caption(painter, QPointF(20, 300),
                         QStringLiteral("WaveformBars: 36 bars at 0.4, 12 at 1, 4 at 0.5, 36 at 0 (64 / 24 / 2 high)"));
                 WaveformBars::paint(painter, QRectF(20, 310, 300, 64), 0.4, accent, seed, 36, Studio::bg3());
                 WaveformBars::paint(painter, QRectF(340, 310, 280, 64), 1, QColor(0x34, 0xC7, 0x59), QUuid(), 12,
                                     Studio::bg3());
                 WaveformBars::paint(painter, QRectF(20, 390, 300, 40), 0.5, accent, seed, 4, Studio::line());
                 WaveformBars::paint(painter, QRectF(340, 395, 280, 24), 0, accent, seed, 36, Studio::line());
                 WaveformBars::paint(painter, QRectF(340, 430, 280, 2), 0.7, accent, seed, 36, Studio::line());
                 caption(painter, QPointF(20, 470), QStringLiteral("waveform narrower than its gaps (draws nothing):"));
                 WaveformBars::paint(painter, QRectF(360, 460, 20, 20), 1, accent, seed, 36, Studio::line());
             }),
         QStringLiteral("tape.png"));
}

TEST_F(Gallery, ButtonsAndFields) {
    QWidget panel;
    host(panel);
    auto* grid = new QGridLayout(&panel);
    grid->setContentsMargins(20, 20, 20, 20);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(12);
    const auto label = [&](const QString& text) {
        return Studio::plainLabel(text, Studio::font(10, Studio::Weight::Medium, true), Studio::text3(), &panel);
    };
    const StudioButtonStyle styles[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    const QString names[] = {QStringLiteral("normal"), QStringLiteral("prominent"), QStringLiteral("compact"),
                             QStringLiteral("prominent compact")};
    grid->addWidget(label(QStringLiteral("")), 0, 0);
    const QString states[] = {QStringLiteral("rest"), QStringLiteral("hovered"), QStringLiteral("pressed"),
                              QStringLiteral("disabled"), QStringLiteral("symbol")};
    for (int c = 0; c < 5; ++c)
        grid->addWidget(label(states[c]), 0, c + 1);
    for (int r = 0; r < 4; ++r) {
        grid->addWidget(label(names[r]), r + 1, 0);
        for (int c = 0; c < 5; ++c) {
            auto* button = c == 4
                ? new StudioButton(QStringLiteral("新建磁带"), QStringLiteral("plus"), styles[r], &panel)
                : new StudioButton(QStringLiteral("全部归档"), styles[r], &panel);
            if (c == 1) {
                QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
                QApplication::sendEvent(button, &enter);
            }
            if (c == 2)
                button->setDown(true);
            if (c == 3)
                button->setEnabled(false);
            grid->addWidget(button, r + 1, c + 1, Qt::AlignLeft);
        }
    }
    auto* gear = new StudioButton(QString(), QStringLiteral("gearshape"), StudioButtonStyle{}, &panel);
    grid->addWidget(label(QStringLiteral("symbol only")), 5, 0);
    grid->addWidget(gear, 5, 1, Qt::AlignLeft);
    auto* wide =
        new StudioButton(QStringLiteral("新建磁带"), QStringLiteral("plus"), StudioButtonStyle{true, false}, &panel);
    wide->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    grid->addWidget(wide, 5, 2, 1, 3);

    auto* field = new QLineEdit(&panel);
    studioField(field);
    field->setPlaceholderText(QStringLiteral("写一条进度记录…"));
    auto* filled = new QLineEdit(QStringLiteral("混音第二版已发给导演"), &panel);
    studioField(filled);
    filled->selectAll();
    auto* notes = new QPlainTextEdit(QStringLiteral("备注：\n第二段需要更多弦乐。"), &panel);
    studioField(notes);
    notes->setFixedHeight(70);
    grid->addWidget(label(QStringLiteral("studioField")), 6, 0);
    grid->addWidget(field, 6, 1, 1, 2);
    grid->addWidget(filled, 6, 3, 1, 3);
    grid->addWidget(notes, 7, 1, 1, 5);
    panel.resize(760, 420);
    save(grab(panel), QStringLiteral("buttons-and-fields.png"));
}

TEST_F(Gallery, DateChipsAndPopover) {
    QWidget panel;
    host(panel);
    auto* row = new QHBoxLayout(&panel);
    row->setContentsMargins(20, 20, 20, 20);
    row->setSpacing(16);
    const QFont mono = Studio::font(10, Studio::Weight::Regular, true);
    row->addWidget(new DateChip(std::nullopt, QStringLiteral("—"), true, mono, &panel));
    row->addWidget(new DateChip(std::nullopt, QStringLiteral("设置截止日期"), true, Studio::font(12), &panel));
    row->addWidget(new DateChip(Clock::startOfToday().addDays(3), QStringLiteral("—"), true, mono, &panel));
    row->addWidget(
        new DateChip(QDateTime(QDate(2023, 12, 25), QTime(0, 0)), QStringLiteral("—"), true, Studio::font(12), &panel));
    row->addStretch();
    const QImage chips = grab(panel);
    const QImage sheet = canvas(QSize(460, 110), [&](QPainter& painter) {
        caption(painter, QPointF(20, 16), QStringLiteral("unset, unset, set this year, set another year"));
        painter.drawImage(QPointF(0, 20), chips);
        caption(painter, QPointF(20, 96), QStringLiteral("open:"));
        const QString today = DateChip::displayText(Clock::startOfToday(), QString());
        const QSizeF size = DateChip::sizeFor(today, mono);
        DateChip::paint(painter, QRectF(QPointF(70, 96 - size.height() + 4), size), Clock::startOfToday(),
                        QStringLiteral("—"), mono, true);
    });
    save(sheet, QStringLiteral("date-chips.png"));

    QWidget anchor;
    anchor.setProperty(Studio::tintProperty(), accent);
    DatePopover withClear(QDateTime(QDate(2024, 6, 5), QTime(14, 0)), true, &anchor,
                          [] { return QDateTime(QDate(2024, 6, 3), QTime(9, 0)); });
    save(grab(withClear), QStringLiteral("date-popover.png"));
    DatePopover withoutClear(std::nullopt, false, &anchor, [] { return QDateTime(QDate(2024, 6, 3), QTime(9, 0)); });
    save(grab(withoutClear), QStringLiteral("date-popover-no-clear.png"));
}

TEST_F(Gallery, PanelMaterials) {
    save(canvas(QSize(640, 260),
                [&](QPainter& painter) {
                    // A busy desktop behind the panels shows how clear each material is.
                    for (int i = 0; i < 32; ++i)
                        painter.fillRect(QRectF(i * 20, 0, 10, 260),
                                         i % 3 == 0       ? QColor(0x30, 0x60, 0xC0)
                                             : i % 3 == 1 ? QColor(0xE0, 0xE0, 0xE0)
                                                          : QColor(0xC0, 0x50, 0x30));
                    int i = 0;
                    for (const PanelMaterial material : allPanelMaterials()) {
                        const QRectF box(20 + i * 155, 20, 140, 100);
                        PanelMaterials::paint(painter, box, material, std::nullopt, 12);
                        PanelMaterials::paint(painter, box.translated(0, 120), material, Studio::faded(accent, 0.15),
                                              12);
                        painter.setFont(Studio::font(12, Studio::Weight::Semibold));
                        painter.setPen(Studio::text());
                        painter.drawText(box.adjusted(12, 10, 0, 0), title(material));
                        painter.drawText(box.translated(0, 120).adjusted(12, 10, 0, 0),
                                         title(material) + QStringLiteral(" + 底色"));
                        ++i;
                    }
                }),
         QStringLiteral("materials.png"));
}

TEST_F(Gallery, Symbols) {
    const auto& entries = SymbolTable::entries();
    const int columns = 8;
    const int rows = int(entries.size() + 1 + columns - 1) / columns;
    save(canvas(QSize(columns * 110 + 20, rows * 64 + 20),
                [&](QPainter& painter) {
                    for (int i = 0; i <= entries.size(); ++i) {
                        const QString name =
                            i < entries.size() ? QString::fromLatin1(entries[i].symbol) : QStringLiteral("(unknown)");
                        const QPointF origin(10 + (i % columns) * 110, 10 + (i / columns) * 64);
                        Symbols::paint(painter, QRectF(origin + QPointF(40, 4), QSizeF(24, 24)), name, Studio::text());
                        Symbols::paintForFont(painter, origin + QPointF(86, 16), 12, name, accent,
                                              Studio::Weight::Semibold);
                        painter.setFont(Studio::font(8));
                        painter.setPen(Studio::text3());
                        painter.drawText(QRectF(origin + QPointF(0, 34), QSizeF(108, 24)),
                                         Qt::AlignHCenter | Qt::TextWrapAnywhere, name);
                    }
                }),
         QStringLiteral("symbols.png"));
}

} // namespace
} // namespace sorvel
