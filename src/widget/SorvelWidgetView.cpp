#include "widget/SorvelWidgetView.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/TapeWindow.h"
#include "widget/IntentButton.h"
#include "widget/ListView.h"
#include "widget/SmallView.h"
#include "widget/WidgetLook.h"

#include <QPainter>
#include <QVBoxLayout>

namespace sorvel {

namespace {

constexpr qreal emptyReelSize = 22;
constexpr qreal emptySpacing = 8;
constexpr qreal emptyOpacity = 0.6;
const QString emptyText = QStringLiteral("架子上还没有磁带");

QFont emptyFont() { return Studio::font(11); }

} // namespace

SorvelWidgetView::SorvelWidgetView(WidgetFamily family, RenderingMode mode, QWidget* parent)
    : LinkSurface(parent), m_family(family), m_mode(mode) {
    auto* layout = new QVBoxLayout(this);
    const int margin = WidgetLook::contentMargin;
    layout->setContentsMargins(margin, margin, margin, margin);
    connect(this, &LinkSurface::linkActivated, this, &SorvelWidgetView::linkRequested);
    setEntry({});
}

const QUrl& SorvelWidgetView::newProjectLink() {
    static const QUrl link(QStringLiteral("sorvel://new"));
    return link;
}

QList<AudioProject> SorvelWidgetView::shownProjects(WidgetFamily family, const ProjectsEntry& entry) {
    return entry.projects.mid(0, WidgetFamilies::rowCount(family));
}

QSize SorvelWidgetView::sizeHint() const {
    return WidgetFamilies::size(m_family);
}

void SorvelWidgetView::setEntry(const ProjectsEntry& entry) {
    m_entry = entry;
    if (m_content) {
        // A button of the old face may be the one whose click led here.
        m_content->hide();
        m_content->setParent(nullptr);
        m_content->deleteLater();
        m_content = nullptr;
    }
    m_small = nullptr;
    m_list = nullptr;

    const QList<AudioProject> shown = shownProjects(m_family, m_entry);
    if (shown.isEmpty()) {
        setLink(newProjectLink());
    } else if (m_family == WidgetFamily::Small) {
        setLink(shown.first().deepLink());
        m_small = new SmallView(shown.first(), m_entry.typeOf(shown.first()), m_mode, this);
        m_content = m_small;
    } else {
        setLink({});
        m_list = new ListView(shown, m_entry.types, int(m_entry.projects.size()), WidgetFamilies::showsNext(m_family),
                              m_mode, this);
        m_content = m_list;
    }
    if (m_content) {
        layout()->addWidget(m_content);
        for (LinkSurface* surface : m_content->findChildren<LinkSurface*>())
            connect(surface, &LinkSurface::linkActivated, this, &SorvelWidgetView::linkRequested);
        for (IntentButton* button : m_content->findChildren<IntentButton*>())
            connect(button, &IntentButton::intentTriggered, this, &SorvelWidgetView::intentRequested);
        m_content->show();
    }
    update();
}

void SorvelWidgetView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, QRectF(rect()), WidgetLook::cornerRadius, Studio::bg1());
    if (showsEmptyState()) {
        const int margin = WidgetLook::contentMargin;
        paintEmptyState(painter, QRectF(rect()).adjusted(margin, margin, -margin, -margin));
    }
}

void SorvelWidgetView::paintEmptyState(QPainter& painter, const QRectF& content) {
    const QFont font = emptyFont();
    const qreal tapeWidth = emptyReelSize * 5;
    const qreal tapeHeight = TapeWindow::naturalHeight(emptyReelSize);
    const qreal textHeight = Shapes::lineHeight(font);
    const qreal top = content.center().y() - (tapeHeight + emptySpacing + textHeight) / 2;
    painter.save();
    painter.setOpacity(emptyOpacity);
    TapeWindow::paint(painter, QRectF(content.center().x() - tapeWidth / 2, top, tapeWidth, tapeHeight), 0,
                      Studio::text3(), emptyReelSize);
    painter.restore();
    const qreal textWidth = qMin(Shapes::textWidth(font, emptyText), content.width());
    const qreal textMid = top + tapeHeight + emptySpacing + textHeight / 2;
    Shapes::drawLine(painter, font, Studio::text3(),
                     QPointF(content.center().x() - textWidth / 2, Shapes::centredBaseline(font, textMid)), emptyText,
                     textWidth + 1);
}

} // namespace sorvel
