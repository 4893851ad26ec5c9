#include "app/detail/CueRow.h"

#include "app/detail/CueColumns.h"
#include "app/detail/CueDragHandle.h"
#include "app/detail/CueTextField.h"
#include "app/detail/CueVersionPopover.h"
#include "app/detail/DurationChip.h"
#include "app/detail/StageMenuButton.h"
#include "app/store/CueTextTrim.h"
#include "app/store/ProjectStore.h"
#include "core/Clock.h"
#include "core/CueText.h"
#include "core/CueTime.h"
#include "core/UserText.h"
#include "studio/DateChip.h"
#include "studio/FocusRing.h"
#include "studio/PlainSymbolButton.h"
#include "studio/PointerHover.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"
#include "studio/TypedTextWrite.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPropertyAnimation>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace sorvel {

namespace {

constexpr int verticalInset = 6;
constexpr int glideMs = 180;
constexpr std::array<Cue::DateKind, 3> dateKinds{Cue::DateKind::Start, Cue::DateKind::Mixed, Cue::DateKind::Delivered};

// Whether the user is typing in a field: it holds its window's keyboard
// focus (also while the window itself is in the background).
bool isEditing(const QLineEdit* field) {
    return field->window()->focusWidget() == field;
}

// A field keeps its own text rather than the store's while it is typed in
// and until what was typed has been stored.
bool keepsTypedText(const QLineEdit* field, const TypedTextWrite* write) {
    return isEditing(field) || write->isPending();
}

// The fields sit bare on the row. A style sheet, not the palette, because
// the window's own style sheet would otherwise fill them with its base colour.
// The selection takes the accent, so a new accent writes the sheet again.
void setTextColor(QLineEdit* field, const QColor& color) {
    const QColor tint = Studio::tint(field);
    if (field->property("textColor").value<QColor>() == color
        && field->property("selectionColor").value<QColor>() == tint)
        return;
    field->setProperty("textColor", color);
    field->setProperty("selectionColor", tint);
    field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0px;"
                                        " color: %1; selection-background-color: %2; selection-color: %3; }")
                             .arg(color.name(QColor::HexArgb), tint.name(), Studio::bg0().name()));
}

// A field not being typed in shows the start of its text, also when the
// text is wider than the column (setText leaves the cursor at the end).
void showStoredText(QLineEdit* field, const QString& text) {
    field->setText(text);
    field->setCursorPosition(0);
}

QFont versionFont() {
    return Studio::font(11, Studio::Weight::Medium, true);
}

QFont dateFont() {
    return Studio::font(10, Studio::Weight::Regular, true);
}

const QString noDate = QStringLiteral("—");

// Centres a widget of its natural size in a cell.
void placeCentred(QWidget* widget, const QRectF& cell) {
    const QSize size = widget->sizeHint().boundedTo(cell.size().toSize());
    widget->setGeometry(
        QRect(QPoint(int(cell.center().x() - size.width() / 2.0), int(cell.center().y() - size.height() / 2.0)), size));
}

} // namespace

CueRow::CueRow(ProjectStore& store, const QUuid& projectID, const Cue& cue, QWidget* parent)
    : QWidget(parent), m_store(store), m_projectID(projectID), m_cue(cue) {
    setFixedHeight(rowHeight);

    m_handle = new CueDragHandle(this);
    connect(m_handle, &CueDragHandle::dragRequested, this, [this] { Q_EMIT dragRequested(m_cue.id); });

    m_number = makeField(Studio::font(11, Studio::Weight::Medium, true), QStringLiteral("#"), Qt::AlignCenter);
    m_numberWrite = new TypedTextWrite([this](const QString& text) { storeNumber(text); }, this);
    connect(m_number, &QLineEdit::textEdited, m_numberWrite, &TypedTextWrite::changed);
    m_title = makeField(Studio::font(13), QStringLiteral("新 cue"), Qt::AlignLeft | Qt::AlignVCenter);
    m_titleWrite = new TypedTextWrite([this](const QString& text) { storeTitle(text); }, this);
    connect(m_title, &QLineEdit::textEdited, m_titleWrite, &TypedTextWrite::changed);

    m_duration = new DurationChip(CueTime::length(cue.duration), this);
    connect(m_duration, &DurationChip::durationChosen, this, [this](std::optional<qint64> duration) {
        m_store.updateCue(m_projectID, m_cue.id, [duration](Cue& c) { c.duration = duration; });
    });

    m_stage = new StageMenuButton(cue.stage, this);
    connect(m_stage, &StageMenuButton::stageChosen, this,
            [this](CueStage stage) { m_store.setCueStage(m_projectID, m_cue.id, stage); });

    m_version = new PlainSymbolButton(QString(), QString(), versionFont(), this);
    connect(m_version, &QAbstractButton::clicked, this, &CueRow::openVersions);

    for (std::size_t i = 0; i < dateKinds.size(); ++i) {
        const Cue::DateKind kind = dateKinds[i];
        auto* chip = new DateChip(std::nullopt, noDate, true, dateFont(), this);
        chip->setToolTip(dateHelp(kind));
        connect(chip, &DateChip::dateChosen, this, [this, kind](const std::optional<QDateTime>& date) {
            m_store.updateCue(m_projectID, m_cue.id, [kind, &date](Cue& c) { c.setDate(kind, date); });
        });
        m_dates[i] = chip;
    }

    m_delete = new PlainSymbolButton(QStringLiteral("minus.circle.fill"), QString(), Studio::font(13), this);
    m_delete->setColor(Studio::systemRed());
    m_delete->setToolTip(QStringLiteral("删除这段 cue"));
    m_delete->hide(); // only while the pointer is over the row or the keyboard is in it
    connect(m_delete, &QAbstractButton::clicked, this, &CueRow::deleteCue);
    m_hover = new PointerHover(this);
    connect(m_hover, &PointerHover::hoveringChanged, this, &CueRow::showHovering);
    m_number->installEventFilter(this);
    m_title->installEventFilter(this);
    QList<QWidget*> stops = keyboardStops();
    stops.removeLast();
    m_reveal = std::make_unique<DeleteReveal>(this, m_hover, m_delete, stops);

    showStoredText(m_number, cue.number);
    showStoredText(m_title, cue.title);
    showCue();
}

QLineEdit* CueRow::makeField(const QFont& font, const QString& placeholder, Qt::Alignment alignment) {
    auto* field = new CueTextField(font, placeholder, alignment, this);
    // Drops over the row belong to the table's reordering, not to the text.
    field->setAcceptDrops(false);
    QPalette colors = field->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colors.setColor(group, QPalette::PlaceholderText, Studio::faded(Studio::text3(), 0.8));
    field->setPalette(colors);
    // Return only gives up the keyboard.
    connect(field, &QLineEdit::returnPressed, field, &QWidget::clearFocus);
    return field;
}

DateChip* CueRow::dateChip(Cue::DateKind kind) const {
    const auto at = std::find(dateKinds.cbegin(), dateKinds.cend(), kind);
    return m_dates[std::size_t(std::distance(dateKinds.cbegin(), at))];
}

QString CueRow::versionText(const Cue& cue) {
    const qint64 last = cue.versions.isEmpty() ? 1 : cue.versions.last().number;
    return QStringLiteral("v") + QString::number(last);
}

QString CueRow::versionHelp(const Cue& cue) {
    if (cue.versions.isEmpty())
        return QStringLiteral("版本记录");
    const CueVersion& last = cue.versions.last();
    return Studio::plainToolTip(QStringLiteral("v") + QString::number(last.number) + QStringLiteral("：")
                                + UserText::singleLine(last.note));
}

QString CueRow::dateHelp(Cue::DateKind kind) {
    switch (kind) {
    case Cue::DateKind::Start: return QStringLiteral("开始日期：新建时自动记录");
    case Cue::DateKind::Mixed: return QStringLiteral("录混日期：进入「已录混」时自动记录；手动填上会把阶段推到已录混");
    case Cue::DateKind::Delivered:
        return QStringLiteral("交付日期：进入「已交付」时自动记录；手动填上会把阶段推到已交付");
    }
    return {};
}

void CueRow::setCue(const Cue& cue) {
    if (cue == m_cue)
        return;
    m_cue = cue;
    // A field being edited keeps the user's text; the others show the store's.
    if (!keepsTypedText(m_number, m_numberWrite) && m_number->text() != cue.number)
        showStoredText(m_number, cue.number);
    if (!keepsTypedText(m_title, m_titleWrite) && m_title->text() != cue.title)
        showStoredText(m_title, cue.title);
    showCue();
    trimStoredTexts();
    // A change made through the stage menu or a field often ends with the
    // pointer elsewhere, and the menu's grab kept the leave from the row.
    if (m_hover->isHovering())
        m_hover->recheck();
}

void CueRow::showFieldColors() {
    setTextColor(m_number, Studio::tint(this));
    setTextColor(m_title, m_cue.stage == CueStage::Delivered ? Studio::text2() : Studio::text());
}

void CueRow::showCue() {
    showFieldColors();
    m_duration->setDuration(CueTime::length(m_cue.duration));
    m_stage->setStage(m_cue.stage);
    m_version->setText(versionText(m_cue));
    const bool revised = !m_cue.versions.isEmpty() && m_cue.versions.last().number >= 2;
    m_version->setColor(revised ? QColor() : Studio::text2());
    m_version->setToolTip(versionHelp(m_cue));
    m_dates[0]->setDate(m_cue.startDate);
    m_dates[1]->setDate(m_cue.mixedAt);
    m_dates[2]->setDate(m_cue.deliveredAt);
    if (m_versions)
        m_versions->setCue(m_cue);
    placeCells();
}

void CueRow::storeNumber(const QString& text) {
    const QString number = CueText::storedNumber(text);
    if (number == m_cue.number)
        return;
    m_store.updateCue(m_projectID, m_cue.id, [&number](Cue& c) { c.number = number; });
}

void CueRow::storeTitle(const QString& text) {
    const std::optional<QString> title = CueText::storedTitle(text);
    if (!title || *title == m_cue.title)
        return;
    m_store.updateCue(m_projectID, m_cue.id, [&title](Cue& c) { c.title = *title; });
}

void CueRow::trimStoredTexts() {
    // Text with white space around it came from elsewhere (a hand-edited
    // file): shown, it is stored as typed text would be. Not from within the
    // store's announcement that brought it, which the table is still handling.
    if (Cue trimmed = m_cue; !isVisible() || !CueText::trim(trimmed))
        return;
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            CueTextTrim::trim(m_store, m_projectID, m_cue.id);
    });
}

void CueRow::deleteCue() {
    // The table drops this row when the store announces the change; it goes
    // with deleteLater, after this handler has returned.
    const QUuid id = m_cue.id;
    m_store.update(m_projectID, [&id](AudioProject& project) {
        project.items.removeIf([&id](const Cue& c) { return c.id == id; });
    });
}

CueVersionPopover* CueRow::versionPopover() const {
    return m_versions;
}

void CueRow::openVersions() {
    if (m_versions && m_versions->isVisible())
        return;
    m_versions = new CueVersionPopover(m_store, m_projectID, m_cue, this);
    m_versions->openFrom(m_version);
}

QList<QWidget*> CueRow::keyboardStops() const {
    return {m_number, m_title, m_duration, m_stage, m_version, m_dates[0], m_dates[1], m_dates[2], m_delete};
}

void CueRow::focusField(CueFocus::Field field) {
    QLineEdit* target = field == CueFocus::Field::Number ? m_number : m_title;
    target->setFocus(Qt::OtherFocusReason);
}

std::optional<CueFocus::Field> CueRow::focusedField() const {
    if (isEditing(m_number))
        return CueFocus::Field::Number;
    if (isEditing(m_title))
        return CueFocus::Field::Title;
    return std::nullopt;
}

void CueRow::slideTo(int top, bool animated) {
    if (!animated) {
        if (m_glide)
            m_glide->stop();
        move(0, top);
        return;
    }
    if (!m_glide) {
        m_glide = new QPropertyAnimation(this, "pos", this);
        m_glide->setDuration(glideMs);
        m_glide->setEasingCurve(QEasingCurve::OutCubic);
    }
    if (pos().y() == top && m_glide->state() != QAbstractAnimation::Running)
        return;
    m_glide->stop();
    m_glide->setStartValue(pos());
    m_glide->setEndValue(QPoint(0, top));
    m_glide->start();
}

bool CueRow::isHovering() const {
    return m_hover->isHovering();
}

void CueRow::recheckHover() {
    m_hover->recheck();
}

void CueRow::showHovering(bool hovering) {
    m_handle->setHighlighted(hovering);
    update();
}

bool CueRow::event(QEvent* event) {
    // The number and the selection keep the accent in their style sheets.
    if (event->type() == Studio::tintChangeEvent())
        showFieldColors();
    return QWidget::event(event);
}

bool CueRow::eventFilter(QObject* watched, QEvent* event) {
    // A field the user leaves shows what is stored (a cleared title is not
    // stored), from its start. Another window taking the keyboard is no
    // leaving: the typing goes on when the user comes back.
    if (event->type() == QEvent::FocusOut && (watched == m_number || watched == m_title)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            auto* field = static_cast<QLineEdit*>(watched);
            showStoredText(field, field == m_number ? m_cue.number : m_cue.title);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CueRow::paintEvent(QPaintEvent*) {
    if (!isHovering())
        return;
    QPainter painter(this);
    painter.fillRect(rect(), Studio::faded(Studio::bg3(), 0.35));
}

void CueRow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    trimStoredTexts();
}

void CueRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeCells();
}

CueColumns::Widths CueRow::widestCells() {
    CueColumns::Widths widest{};
    widest[CueColumns::Handle] = 10;
    // The number is typed and scrolls within its field; the title takes what remains.
    widest[CueColumns::Number] = 46;
    widest[CueColumns::Duration] = DurationChip::sizeFor(CueTime::longest).width();
    for (const CueStage stage : allCueStages())
        widest[CueColumns::Stage] = std::max(widest[CueColumns::Stage], qreal(StageMenuButton::sizeFor(stage).width()));
    // Three digits of versions; all digits are as wide in the monospaced font.
    Cue revised;
    revised.versions.append(CueVersion{QUuid(), 999, QDateTime(), QString()});
    widest[CueColumns::Version] = PlainSymbolButton::sizeFor(QString(), versionText(revised), versionFont()).width();
    // A date of another year shows its year.
    const QString longDate = DateChip::displayText(Clock::now().addYears(-1), noDate);
    const qreal date = std::ceil(
        std::max(DateChip::sizeFor(longDate, dateFont()).width(), DateChip::sizeFor(noDate, dateFont()).width()));
    for (const int column : {CueColumns::Start, CueColumns::Mixed, CueColumns::Delivered})
        widest[std::size_t(column)] = date;
    widest[CueColumns::Delete] = 16;
    return widest;
}

void CueRow::placeCells() {
    const auto cells = CueColumns::frames(QRectF(0, verticalInset, width(), rowHeight - 2 * verticalInset));
    m_handle->setGeometry(cells[CueColumns::Handle].toAlignedRect());
    m_number->setGeometry(cells[CueColumns::Number].toAlignedRect());
    m_title->setGeometry(cells[CueColumns::Title].toAlignedRect());
    placeCentred(m_duration, cells[CueColumns::Duration]);
    placeCentred(m_stage, cells[CueColumns::Stage]);
    m_version->setGeometry(cells[CueColumns::Version].toAlignedRect());
    for (std::size_t i = 0; i < m_dates.size(); ++i)
        placeCentred(m_dates[i], cells[CueColumns::Start + int(i)]);
    // The symbol fills its column; the button reaches past it, so that a focus ring stands clear of the symbol.
    const qreal ringRoom = FocusRing::width + 1;
    m_delete->setGeometry(
        cells[CueColumns::Delete].marginsAdded(QMarginsF(ringRoom, ringRoom, ringRoom, ringRoom)).toAlignedRect());
}

} // namespace sorvel
