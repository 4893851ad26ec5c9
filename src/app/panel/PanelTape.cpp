#include "app/panel/PanelTape.h"

#include "app/panel/EdgePanelController.h"
#include "app/panel/PanelCueLine.h"
#include "app/panel/PanelTapeRow.h"
#include "app/store/ProjectStore.h"
#include "core/Clock.h"
#include "core/CueText.h"
#include "core/RelativeDate.h"
#include "core/SorvelLinks.h"
#include "core/TypeRegistry.h"
#include "core/UserText.h"
#include "studio/PointerHover.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioField.h"
#include "studio/StudioLabel.h"
#include "studio/TapeWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace sorvel {

namespace {

constexpr qreal cornerRadius = 11;
constexpr StudioButtonStyle compactLook{false, true};
constexpr StudioButtonStyle prominentCompactLook{true, true};

bool spins(const AudioProject& project) {
    const double progress = project.progress();
    return project.isActive() && progress > 0 && progress < 1;
}

} // namespace

PanelTape::PanelTape(EdgePanelController& controller, const AudioProject& project, QWidget* parent)
    : QWidget(parent),
      m_controller(controller),
      m_project(project),
      m_hover(new PointerHover(this)),
      m_row(new PanelTapeRow(this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The list scrolls and tapes open under a still pointer: the face follows where the pointer is.
    connect(m_hover, &PointerHover::hoveringChanged, this, qOverload<>(&QWidget::update));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(10);
    column->addWidget(m_row);
    connect(m_row, &PanelTapeRow::tapped, this, &PanelTape::tapped);
    // A type given another colour or symbol shows at once, also in the open details.
    connect(&controller.store().registry(), &TypeRegistry::typesChanged, this, &PanelTape::showProject);
    showProject();
}

void PanelTape::setProject(const AudioProject& project) {
    if (project == m_project)
        return;
    m_project = project;
    showProject();
}

void PanelTape::setExpanded(bool expanded) {
    if (expanded == m_expanded)
        return;
    m_expanded = expanded;
    if (expanded && !m_details) {
        m_details = buildDetails();
        layout()->addWidget(m_details);
        showProject();
    }
    if (m_details)
        m_details->setVisible(expanded);
    update();
}

QString PanelTape::subtitle(const AudioProject& project) {
    QStringList parts{title(project.status)};
    if (!project.items.isEmpty())
        parts << project.cueSummary();
    if (const Cue* next = project.nextItem(); next && project.isActive())
        parts << CueText::shownTitle(*next);
    return parts.join(QStringLiteral(" · "));
}

bool PanelTape::offersMarkDone(const AudioProject& project) {
    const bool allDelivered = !project.items.isEmpty() && project.doneCount() == project.items.size();
    const bool manualFull = project.progressMode == ProgressMode::Manual && project.manualProgress >= 1.0;
    return allDelivered || manualFull;
}

QString PanelTape::newestLogLine(const AudioProject& project, const QDateTime& now) {
    if (project.log.isEmpty())
        return {};
    const LogEntry& newest = project.log.first();
    return RelativeDate::text(newest.date, now) + QStringLiteral(" · ") + UserText::singleLine(newest.text);
}

void PanelTape::step(double delta) {
    m_controller.store().stepProgress(m_project.id, delta);
}

void PanelTape::advanceCue(const QUuid& cueID) {
    m_controller.store().advanceCue(m_project.id, cueID);
}

void PanelTape::addNote() {
    if (m_controller.store().addLogNote(m_project.id, m_note->text()))
        m_note->clear();
}

void PanelTape::revealFolder() {
    m_controller.store().revealFolder(m_project.id);
}

void PanelTape::openDetail() {
    m_controller.openLink(m_project.deepLink().toString());
}

void PanelTape::archive() {
    m_controller.openLink(SorvelLinks::archive(m_project.id));
}

void PanelTape::markDone() {
    m_controller.store().markDone({m_project.id});
}

QWidget* PanelTape::buildDetails() {
    auto* details = new QWidget(this);
    auto* column = new QVBoxLayout(details);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    m_window = new TapeWindow(0, Studio::systemGray(), 26, false, details);
    column->addWidget(m_window);

    m_stepper = new QWidget(details);
    auto* stepRow = new QHBoxLayout(m_stepper);
    stepRow->setContentsMargins(0, 0, 0, 0);
    stepRow->setSpacing(6);
    auto* minus = new StudioButton(QString(), QStringLiteral("minus"), compactLook, m_stepper);
    auto* plus = new StudioButton(QString(), QStringLiteral("plus"), compactLook, m_stepper);
    minus->setObjectName(QStringLiteral("stepDown"));
    plus->setObjectName(QStringLiteral("stepUp"));
    connect(minus, &QPushButton::clicked, this, [this] { step(-0.1); });
    connect(plus, &QPushButton::clicked, this, [this] { step(0.1); });
    stepRow->addWidget(minus);
    stepRow->addStretch();
    stepRow->addWidget(Studio::plainLabel(QStringLiteral("手动进度"), Studio::font(11), Studio::text3(), m_stepper));
    stepRow->addStretch();
    stepRow->addWidget(plus);
    column->addWidget(m_stepper);

    auto* cues = new QWidget(details);
    m_cueLayout = new QVBoxLayout(cues);
    m_cueLayout->setContentsMargins(0, 0, 0, 0);
    m_cueLayout->setSpacing(2);
    column->addWidget(cues);

    m_note = new QLineEdit(details);
    m_note->setPlaceholderText(QStringLiteral("记一笔进度…"));
    m_note->setFont(Studio::font(12));
    studioField(m_note);
    connect(m_note, &QLineEdit::returnPressed, this, &PanelTape::addNote);
    column->addWidget(m_note);

    m_logLine = Studio::plainLabel(Studio::font(11), Studio::text3(), details);
    column->addWidget(m_logLine);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(6);
    m_folder = new StudioButton(QStringLiteral("文件夹"), compactLook, details);
    auto* detail = new StudioButton(QStringLiteral("详情"), compactLook, details);
    m_archive = new StudioButton(QStringLiteral("归档"), prominentCompactLook, details);
    m_markDone = new StudioButton(QStringLiteral("标记完成"), prominentCompactLook, details);
    connect(m_folder, &QPushButton::clicked, this, &PanelTape::revealFolder);
    connect(detail, &QPushButton::clicked, this, &PanelTape::openDetail);
    connect(m_archive, &QPushButton::clicked, this, &PanelTape::archive);
    connect(m_markDone, &QPushButton::clicked, this, &PanelTape::markDone);
    buttons->addWidget(m_folder);
    buttons->addWidget(detail);
    buttons->addStretch();
    buttons->addWidget(m_archive);
    buttons->addWidget(m_markDone);
    column->addLayout(buttons);
    return details;
}

void PanelTape::showProject() {
    const ProjectType kind = m_controller.store().registry().type(m_project.typeID);
    m_row->setProject(m_project, kind);
    if (!m_details)
        return;
    const QColor color = Studio::typeColor(kind);
    m_window->setProgress(m_project.progress());
    m_window->setColor(color);
    m_window->setSpinning(spins(m_project));
    m_stepper->setVisible(m_project.progressMode == ProgressMode::Manual);
    rebuildCueLines();
    const QString logLine = newestLogLine(m_project, Clock::now());
    m_logLine->setText(logLine);
    m_logLine->setVisible(!logLine.isEmpty());
    m_folder->setVisible(m_project.folderPath.has_value());
    const bool done = m_project.status == ProjectStatus::Done;
    m_archive->setVisible(done);
    m_markDone->setVisible(!done && offersMarkDone(m_project));
}

void PanelTape::rebuildCueLines() {
    // Later, not now: the line that was clicked may be the one asking for this.
    for (PanelCueLine* line : std::as_const(m_cueLines)) {
        line->hide();
        line->deleteLater();
    }
    m_cueLines.clear();
    for (const Cue& cue : std::as_const(m_project.items)) {
        auto* line = new PanelCueLine(cue, m_cueLayout->parentWidget());
        const QUuid cueID = cue.id;
        connect(line, &QAbstractButton::clicked, this, [this, cueID] { advanceCue(cueID); });
        m_cueLayout->addWidget(line);
        m_cueLines << line;
    }
}

void PanelTape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card(rect());
    Shapes::fillRounded(painter, card, cornerRadius, isHovering() || m_expanded ? Studio::bg3() : Studio::bg2());
    Shapes::strokeRoundedInside(painter, card, cornerRadius, Studio::line(), 1);
}

bool PanelTape::isHovering() const {
    return m_hover->isHovering();
}

} // namespace sorvel
