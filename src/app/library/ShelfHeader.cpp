#include "app/library/ShelfHeader.h"

#include "app/library/ShelfMode.h"
#include "app/library/ShelfOrdering.h"
#include "app/library/ShelfTexts.h"
#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "core/UserText.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioLabel.h"
#include "studio/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace sorvel {

namespace {

// The two mode buttons on a shared plate.
class ModePicker final : public QWidget {
public:
    explicit ModePicker(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        Shapes::fillRounded(painter, rect(), 8, Studio::bg1());
    }
};

} // namespace

ShelfModeButton::ShelfModeButton(Settings& settings, const QString& symbol, const QString& value, const QString& help,
                                 QWidget* parent)
    : QAbstractButton(parent), m_settings(settings), m_symbol(symbol), m_value(value) {
    setToolTip(help);
    setFixedSize(30, 24);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] { ShelfMode::write(m_settings, m_value); });
}

bool ShelfModeButton::isChosen() const {
    return ShelfMode::stored(m_settings) == m_value;
}

QSize ShelfModeButton::sizeHint() const {
    return {30, 24};
}

void ShelfModeButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool chosen = isChosen();
    if (chosen)
        Shapes::fillRounded(painter, rect(), 6, Studio::tint(this));
    Symbols::paintForFont(painter, QRectF(rect()).center(), 12, m_symbol, chosen ? Studio::bg0() : Studio::text2(),
                          Studio::Weight::Semibold);
}

ShelfHeader::ShelfHeader(ProjectStore& store, AppRouter& router, Settings& settings, QWidget* parent)
    : QWidget(parent), m_store(store), m_router(router) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* row = m_row = new QHBoxLayout;
    row->setSpacing(12);
    column->addLayout(row);
    m_hintLine = new QHBoxLayout;
    m_hintLine->addStretch(1);
    column->addLayout(m_hintLine);

    m_title = new ElidedLine(Studio::font(26, Studio::Weight::Bold), Studio::text(), this);
    m_count = Studio::plainLabel(Studio::font(12, Studio::Weight::Regular, true), Studio::text3(), this);
    row->addWidget(m_title, 0, Qt::AlignBottom);
    // The texts of the row sit on the title's baseline.
    const auto addOnBaseline = [this, row](QLabel* label) {
        const qreal lift = QFontMetricsF(m_title->font()).descent() - QFontMetricsF(label->font()).descent();
        label->setContentsMargins(0, 0, 0, std::max(0, qRound(lift)));
        row->addWidget(label, 0, Qt::AlignBottom);
    };
    addOnBaseline(m_count);
    row->addStretch(1);

    auto* picker = new ModePicker(this);
    auto* pickerRow = new QHBoxLayout(picker);
    pickerRow->setContentsMargins(2, 2, 2, 2);
    pickerRow->setSpacing(2);
    m_tapeMode = new ShelfModeButton(settings, QStringLiteral("recordingtape"), ShelfMode::tape(),
                                     QStringLiteral("磁带模式 Ctrl+1"), picker);
    m_listMode = new ShelfModeButton(settings, QStringLiteral("list.bullet"), ShelfMode::list(),
                                     QStringLiteral("列表模式 Ctrl+2"), picker);
    pickerRow->addWidget(m_tapeMode);
    pickerRow->addWidget(m_listMode);
    row->addWidget(picker, 0, Qt::AlignVCenter);

    m_archiveAll = new StudioButton(QStringLiteral("全部归档"), QStringLiteral("archivebox"), {true, false}, this);
    row->addWidget(m_archiveAll, 0, Qt::AlignVCenter);
    connect(m_archiveAll, &QAbstractButton::clicked, this,
            [this] { m_router.setArchiveRequest(ShelfOrdering::doneIDs(m_store.projects())); });

    m_hint = Studio::plainLabel(Studio::font(11), Studio::text3(), this);
    addOnBaseline(m_hint);
}

void ShelfHeader::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeHint();
}

void ShelfHeader::placeHint() {
    // What the row needs to show every part whole, the hint included: its
    // text is kept while hidden, so the place is decided before it shows.
    const QList<const QWidget*> parts{m_title, m_count, m_tapeMode->parentWidget(), m_archiveAll};
    int needed = m_hint->sizeHint().width();
    for (const QWidget* part : parts) {
        if (!part->isHidden())
            needed += m_row->spacing() + part->sizeHint().width();
    }
    QHBoxLayout* home = needed <= width() ? m_row : m_hintLine;
    // On a line of its own the hint keeps its room while hidden, so that the
    // shelf below does not move when a second tape is selected.
    QSizePolicy policy = m_hint->sizePolicy();
    policy.setRetainSizeWhenHidden(home == m_hintLine);
    m_hint->setSizePolicy(policy);
    if (home->indexOf(m_hint) >= 0)
        return;
    (home == m_row ? m_hintLine : m_row)->removeWidget(m_hint);
    home->addWidget(m_hint, 0, Qt::AlignBottom);
}

void ShelfHeader::refresh(qint64 tapeCount) {
    m_title->setText(UserText::singleLine(m_router.sidebar().title(m_store.registry())));
    // Until the file is read the count would only say 00.
    m_count->setText(m_store.hasStarted() ? ShelfTexts::tapeCount(tapeCount) : QString());
    m_archiveAll->setVisible(m_router.sidebar() == SidebarItem::done() && ShelfOrdering::anyDone(m_store.projects()));
    const qsizetype selected = m_router.selection().size();
    m_hint->setVisible(selected >= 2);
    m_hint->setText(ShelfTexts::selectionHint(std::max<qsizetype>(selected, 2)));
    placeHint();
    m_tapeMode->update();
    m_listMode->update();
}

QString ShelfHeader::titleText() const {
    return m_title->text();
}

QString ShelfHeader::countText() const {
    return m_count->text();
}

QString ShelfHeader::hintText() const {
    return m_hint->isHidden() ? QString() : m_hint->text();
}

bool ShelfHeader::offersArchiveAll() const {
    return !m_archiveAll->isHidden();
}

} // namespace sorvel
