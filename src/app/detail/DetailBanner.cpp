#include "app/detail/DetailBanner.h"

#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "core/ChineseDateText.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/Symbols.h"

#include <QHBoxLayout>
#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {

constexpr int padding = 10;
constexpr qreal symbolGap = 6;

QFont labelFont() {
    return Studio::font(12, Studio::Weight::Medium);
}

} // namespace

DetailBanner::DetailBanner(const QUuid& projectID, ProjectStore& store, AppRouter& router, QWidget* parent)
    : QWidget(parent), m_projectID(projectID), m_store(store), m_router(router) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_button = new StudioButton(QString(), StudioButtonStyle{false, true}, this);
    connect(m_button, &QPushButton::clicked, this, &DetailBanner::act);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padding, padding, padding, padding);
    row->addStretch(1);
    row->addWidget(m_button);
    hide();
}

DetailBanner::Case DetailBanner::caseFor(const AudioProject& project) {
    if (project.archivedAt)
        return Case::Archived;
    if (project.status == ProjectStatus::Done)
        return Case::Done;
    const bool allDelivered = !project.items.isEmpty() && project.doneCount() == project.items.size();
    if (allDelivered && project.progressMode == ProgressMode::Auto)
        return Case::AllDelivered;
    return Case::None;
}

void DetailBanner::refresh(const AudioProject& project) {
    m_case = caseFor(project);
    switch (m_case) {
    case Case::Archived:
        m_symbol = QStringLiteral("archivebox");
        m_text = QStringLiteral("已于 ") + ChineseDateText::abbreviated(*project.archivedAt) + QStringLiteral(" 归档");
        m_button->setText(QStringLiteral("恢复"));
        m_button->setLook(StudioButtonStyle{false, true});
        break;
    case Case::Done:
        m_symbol = QStringLiteral("checkmark.circle.fill");
        m_text = QStringLiteral("已完成，等待归档");
        m_button->setText(QStringLiteral("归档…"));
        m_button->setLook(StudioButtonStyle{true, true});
        break;
    case Case::AllDelivered:
        m_symbol = QStringLiteral("checkmark.seal.fill");
        m_text = QStringLiteral("所有 cue 都已交付");
        m_button->setText(QStringLiteral("标记完成"));
        m_button->setLook(StudioButtonStyle{true, true});
        break;
    case Case::None:
        m_symbol.clear();
        m_text.clear();
        break;
    }
    setVisible(m_case != Case::None);
    updateGeometry();
    update();
}

void DetailBanner::act() {
    switch (m_case) {
    case Case::Archived: m_store.unarchive(m_projectID); break;
    case Case::Done: m_router.setArchiveRequest(QSet<QUuid>{m_projectID}); break;
    case Case::AllDelivered: m_store.markDone({m_projectID}); break;
    case Case::None: break;
    }
}

QSize DetailBanner::sizeHint() const {
    const qreal labelWidth = Symbols::sideForFontSize(12) + symbolGap + Shapes::textWidth(labelFont(), m_text);
    const QSize button = m_button->sizeHint();
    const qreal height = std::max<qreal>(button.height(), Shapes::lineHeight(labelFont()));
    return {int(std::ceil(labelWidth)) + 8 + button.width() + 2 * padding, int(std::ceil(height)) + 2 * padding};
}

QSize DetailBanner::minimumSizeHint() const {
    return {m_button->sizeHint().width() + 2 * padding, sizeHint().height()};
}

void DetailBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plate(rect());
    Shapes::fillRounded(painter, plate, 9, Studio::bg2());
    Shapes::strokeRoundedInside(painter, plate, 9, Studio::line(), 1);

    const QColor tint = Studio::tint(this);
    const QFont font = labelFont();
    const qreal side = Symbols::sideForFontSize(12);
    const qreal midY = plate.center().y();
    Symbols::paintForFont(painter, {padding + side / 2, midY}, 12, m_symbol, tint, Studio::Weight::Medium);
    const qreal textLeft = padding + side + symbolGap;
    Shapes::drawLine(painter, font, tint, {textLeft, Shapes::centredBaseline(font, midY)}, m_text,
                     m_button->geometry().left() - 8 - textLeft);
}

} // namespace sorvel
