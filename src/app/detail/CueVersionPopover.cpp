#include "app/detail/CueVersionPopover.h"

#include "app/store/ProjectStore.h"
#include "core/Clock.h"
#include "core/UserText.h"
#include "studio/DateChip.h"
#include "studio/ElidedLine.h"
#include "studio/ScrollFade.h"
#include "studio/SilentScrollColumn.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioField.h"
#include "studio/StudioLabel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace sorvel {

namespace {
const QString blankNote = QStringLiteral("修改");
} // namespace

CueVersionPopover::CueVersionPopover(ProjectStore& store, const QUuid& projectID, const Cue& cue, QWidget* parent)
    : PopoverFrame(parent), m_store(store), m_projectID(projectID) {
    setFixedWidth(width);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(10);

    // A long cue title ends in "…" at the edge, as the notes do, and shows whole on hover.
    m_title = new ElidedLine(Studio::font(12, Studio::Weight::Semibold), Studio::text(), this);
    column->addWidget(m_title);

    m_scroll = new SilentScrollColumn(this);
    m_history = m_scroll->column();
    m_history->setSpacing(6);
    column->addWidget(m_scroll);
    // A history cut by the screen fades out where it goes on.
    m_historyFade = new ScrollFade(m_scroll, Studio::bg1());
    QScrollBar* historyBar = m_scroll->verticalScrollBar();
    connect(historyBar, &QScrollBar::valueChanged, this,
            [this, historyBar](int value) { m_showingNewest = value == historyBar->maximum(); });
    connect(historyBar, &QScrollBar::rangeChanged, this, [this](int, int maximum) { keepNewestInView(maximum); });
    m_initial = makeRow();
    connect(m_initial.date, &DateChip::dateChosen, this, &CueVersionPopover::setStartDate);

    auto* divider = new QFrame(this);
    divider->setFixedHeight(1);
    divider->setAutoFillBackground(true);
    QPalette dividerColors = divider->palette();
    dividerColors.setColor(QPalette::Window, Studio::line());
    divider->setPalette(dividerColors);
    column->addWidget(divider);

    auto* input = new QHBoxLayout;
    input->setSpacing(6);
    m_note = new QLineEdit(this);
    studioField(m_note);
    m_note->setPlaceholderText(QStringLiteral("这一版改了什么，比如：慢板"));
    connect(m_note, &QLineEdit::returnPressed, this, &CueVersionPopover::addVersion);
    input->addWidget(m_note, 1);
    m_add = new StudioButton(QString(), StudioButtonStyle{true, true}, this);
    connect(m_add, &QPushButton::clicked, this, &CueVersionPopover::addVersion);
    input->addWidget(m_add);
    column->addLayout(input);

    auto* footnote = Studio::plainLabel(QStringLiteral("新版本会把阶段改回「修改中」，录混和交付日期会清空。"),
                                        Studio::font(10), Studio::text3(), this);
    footnote->setWordWrap(true);
    column->addWidget(footnote);

    setCue(cue);
}

void CueVersionPopover::popUnder(QWidget* anchor) {
    m_anchor = anchor;
    fitHistory();
    PopoverFrame::popUnder(anchor);
    m_note->setFocus();
}

QString CueVersionPopover::title(const Cue& cue) {
    const QString name = cue.title.isEmpty() ? cue.number : cue.title;
    return QStringLiteral("版本记录 · ") + UserText::singleLine(name);
}

QString CueVersionPopover::addButtonText(const Cue& cue) {
    return QStringLiteral("新版本 v") + QString::number(nextVersionNumber(cue.versions));
}

QString CueVersionPopover::titleText() const {
    return m_title->text();
}

QList<DateChip*> CueVersionPopover::dateChips() const {
    QList<DateChip*> chips{m_initial.date};
    for (const QUuid& id : m_versionOrder)
        chips.append(m_versionRows.value(id).date);
    return chips;
}

QList<ElidedLine*> CueVersionPopover::noteLines() const {
    QList<ElidedLine*> lines{m_initial.note};
    for (const QUuid& id : m_versionOrder)
        lines.append(m_versionRows.value(id).note);
    return lines;
}

CueVersionPopover::HistoryRow CueVersionPopover::makeRow() {
    HistoryRow made;
    made.row = new QWidget(m_scroll->content());
    auto* line = new QHBoxLayout(made.row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    made.number = Studio::plainLabel(Studio::font(11, Studio::Weight::Semibold, true), Studio::tint(this), made.row);
    made.number->setFixedWidth(28);
    line->addWidget(made.number);
    auto* dateCell = new QWidget(made.row);
    dateCell->setFixedWidth(76);
    auto* dateLine = new QHBoxLayout(dateCell);
    dateLine->setContentsMargins(0, 0, 0, 0);
    made.date = new DateChip(std::nullopt, QStringLiteral("—"), false, Studio::font(10, Studio::Weight::Regular, true),
                             dateCell);
    dateLine->addWidget(made.date, 0, Qt::AlignLeft | Qt::AlignVCenter);
    line->addWidget(dateCell);
    // A long note ends in "…" at the popover's edge and shows whole on hover.
    made.note = new ElidedLine(Studio::font(12), Studio::text(), made.row);
    line->addWidget(made.note, 1);
    m_history->addWidget(made.row);
    // Shown now, so that the open popover's size counts it at once.
    if (isVisible())
        made.row->show();
    return made;
}

void CueVersionPopover::showRow(HistoryRow& row, qint64 number, const std::optional<QDateTime>& date,
                                const QString& note) {
    row.number->setText(QStringLiteral("v") + QString::number(number));
    row.date->setDate(date);
    row.note->setText(UserText::singleLine(note));
}

void CueVersionPopover::setCue(const Cue& cue) {
    m_cue = cue;
    m_title->setText(title(cue));
    m_add->setText(addButtonText(cue));
    showRow(m_initial, 1, cue.startDate, QStringLiteral("初版"));

    // Rows stay per version: a date chip whose own popover just reported a
    // choice may be the one being updated, so it is never rebuilt here.
    QList<QUuid> order;
    for (const CueVersion& version : cue.versions) {
        if (order.contains(version.id))
            continue;
        order.append(version.id);
        auto found = m_versionRows.find(version.id);
        if (found == m_versionRows.end()) {
            found = m_versionRows.insert(version.id, makeRow());
            const QUuid id = version.id;
            connect(found->date, &DateChip::dateChosen, this,
                    [this, id](const std::optional<QDateTime>& date) { setVersionDate(id, date); });
        }
        showRow(*found, version.number, version.date, version.note);
    }
    for (const QUuid& gone : std::as_const(m_versionOrder)) {
        if (!order.contains(gone))
            m_versionRows.take(gone).row->deleteLater();
    }
    for (const QUuid& id : std::as_const(order)) {
        QWidget* row = m_versionRows.value(id).row;
        m_history->removeWidget(row);
        m_history->addWidget(row);
    }
    m_versionOrder = order;
    if (isVisible())
        fitHistory();
}

void CueVersionPopover::fitHistory() {
    const QScreen* screen = m_anchor && m_anchor->screen() ? m_anchor->screen() : this->screen();
    const int wanted = m_scroll->content()->sizeHint().height();
    m_scroll->setFixedHeight(wanted);
    if (screen) {
        const int overflow = layout()->sizeHint().height() - room(screen->availableGeometry()).height();
        if (overflow > 0)
            m_scroll->setFixedHeight(std::max(0, wanted - overflow));
    }
    adjustSize();
}

void CueVersionPopover::keepNewestInView(int maximum) {
    // The newest versions sit right above the note field; a version just
    // added stays in sight as the history grows.
    if (m_showingNewest)
        m_scroll->verticalScrollBar()->setValue(maximum);
}

bool CueVersionPopover::event(QEvent* event) {
    // The numbers keep the accent in their palettes, which a new accent does not reach.
    if (event->type() == Studio::tintChangeEvent())
        showTint();
    return PopoverFrame::event(event);
}

void CueVersionPopover::showTint() {
    const QColor accent = Studio::tint(this);
    Studio::setTextColor(m_initial.number, accent);
    for (const HistoryRow& row : std::as_const(m_versionRows))
        Studio::setTextColor(row.number, accent);
}

void CueVersionPopover::resizeEvent(QResizeEvent* event) {
    PopoverFrame::resizeEvent(event);
    // Each new version makes the history longer: placed again, the field
    // and the button never slip off the bottom of the screen.
    if (!isVisible() || !m_anchor)
        return;
    const QRect anchor(m_anchor->mapToGlobal(QPoint(0, 0)), m_anchor->size());
    if (const QScreen* screen = m_anchor->screen())
        move(placement(anchor, size(), screen->availableGeometry()));
}

void CueVersionPopover::addVersion() {
    m_showingNewest = true;
    const QString typed = UserText::trimmed(m_note->text());
    const QString note = typed.isEmpty() ? blankNote : typed;
    m_store.updateCue(m_projectID, m_cue.id, [&note](Cue& cue) { cue.addVersion(note, Clock::now()); });
    m_note->clear();
}

void CueVersionPopover::setStartDate(const std::optional<QDateTime>& date) {
    m_store.updateCue(m_projectID, m_cue.id, [&date](Cue& cue) { cue.startDate = date; });
}

void CueVersionPopover::setVersionDate(const QUuid& versionID, const std::optional<QDateTime>& date) {
    if (!date)
        return;
    m_store.updateCue(m_projectID, m_cue.id, [&](Cue& cue) {
        for (CueVersion& version : cue.versions) {
            if (version.id == versionID) {
                version.date = *date;
                return;
            }
        }
    });
}

} // namespace sorvel
