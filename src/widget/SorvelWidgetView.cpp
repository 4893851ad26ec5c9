#include "widget/SorvelWidgetView.h"

#include "core/DrawnOrder.h"
#include "core/SorvelLinks.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/TapeWindow.h"
#include "widget/IntentButton.h"
#include "widget/ListView.h"
#include "widget/SmallView.h"
#include "widget/WidgetLook.h"
#include "widget/WidgetNotice.h"

#include <QHash>
#include <QPainter>
#include <QSet>
#include <QVBoxLayout>

#include <utility>

namespace sorvel {

namespace {

constexpr qreal emptyReelSize = 22;
constexpr qreal emptySpacing = 8;
constexpr qreal hintSpacing = 2;
constexpr qreal emptyOpacity = 0.6;
const QString emptyText = QStringLiteral("架子上还没有磁带");
const QString unreadableText = QStringLiteral("无法读取数据文件");
const QString unreadableHint = QStringLiteral("点一下打开 Sorvel 查看");

QFont emptyFont() {
    return Studio::font(11);
}
QFont hintFont() {
    return Studio::font(9);
}

// What the face draws while its rows are held: `rows` in their places, each
// as `fresh` has it now or, when it left, as it was drawn; the other projects
// of `fresh` after them, in their order.
struct HeldRows {
    QList<AudioProject> projects;
    qsizetype departed = 0; // rows drawn although they left `fresh`
};

HeldRows keptRows(const QList<AudioProject>& rows, const QList<AudioProject>& fresh) {
    QHash<QUuid, qsizetype> places;
    for (qsizetype i = 0; i < fresh.size(); ++i)
        places.insert(fresh.at(i).id, i);
    HeldRows held;
    QSet<QUuid> kept;
    for (const AudioProject& row : rows) {
        const auto place = places.constFind(row.id);
        if (place == places.cend())
            ++held.departed;
        held.projects.append(place == places.cend() ? row : fresh.at(*place));
        kept.insert(row.id);
    }
    for (const AudioProject& project : fresh) {
        if (!kept.contains(project.id))
            held.projects.append(project);
    }
    return held;
}

} // namespace

SorvelWidgetView::SorvelWidgetView(WidgetFamily family, RenderingMode mode, QWidget* parent)
    : LinkSurface(parent), m_family(family), m_mode(mode) {
    auto* layout = new QVBoxLayout(this);
    const int margin = WidgetLook::contentMargin;
    layout->setContentsMargins(margin, margin, margin, margin);
    // Connected before anyone else: a tap's intent redraws the widget at once.
    connect(this, &SorvelWidgetView::intentRequested, this, &SorvelWidgetView::holdOrder);
    connect(this, &SorvelWidgetView::linkRequested, this, &SorvelWidgetView::holdOrder);
    connect(this, &LinkSurface::linkActivated, this, &SorvelWidgetView::linkRequested);
    m_holdOrder.setSingleShot(true);
    m_holdOrder.setInterval(orderHoldMs);
    connect(&m_holdOrder, &QTimer::timeout, this, &SorvelWidgetView::releaseOrder);
    draw({});
}

void SorvelWidgetView::holdOrder() {
    m_holdOrder.start();
}

void SorvelWidgetView::releaseOrder() {
    if (holdsOrder())
        return;
    if (DrawnOrder::ids(m_latest.projects) != DrawnOrder::ids(m_entry.projects)
        || m_latest.activeCount != m_entry.activeCount)
        draw(m_latest);
}

void SorvelWidgetView::enterEvent(QEnterEvent* event) {
    LinkSurface::enterEvent(event);
    m_pointerInside = true;
}

void SorvelWidgetView::leaveEvent(QEvent* event) {
    LinkSurface::leaveEvent(event);
    m_pointerInside = false;
    releaseOrder();
}

const QUrl& SorvelWidgetView::newProjectLink() {
    static const QUrl link(SorvelLinks::newProject());
    return link;
}

const QUrl& SorvelWidgetView::mainWindowLink() {
    static const QUrl link(SorvelLinks::mainWindow());
    return link;
}

QStringList SorvelWidgetView::emptyStateLines() const {
    if (m_entry.unreadable)
        return {unreadableText, unreadableHint};
    return {emptyText};
}

QList<AudioProject> SorvelWidgetView::shownProjects(WidgetFamily family, const ProjectsEntry& entry) {
    return entry.projects.mid(0, WidgetFamilies::rowCount(family));
}

QSize SorvelWidgetView::sizeHint() const {
    return WidgetFamilies::size(m_family);
}

void SorvelWidgetView::setMode(RenderingMode mode) {
    if (mode == m_mode)
        return;
    m_mode = mode;
    // Redraw what is drawn: the latest entry may be waiting for a held order to end.
    draw(ProjectsEntry(m_entry));
}

void SorvelWidgetView::setEntry(const ProjectsEntry& entry) {
    m_latest = entry;
    // A file that cannot be read shows so at once: there is no row left to aim at.
    if (!holdsOrder() || entry.unreadable) {
        draw(entry);
        return;
    }
    HeldRows rows = keptRows(shownProjects(m_family, m_entry), entry.projects);
    ProjectsEntry held = entry;
    held.projects = std::move(rows.projects);
    // The header counts the tapes the face shows: those of the file and the
    // rows still drawn after they left it.
    held.activeCount = entry.activeCount + rows.departed;
    draw(held);
}

void SorvelWidgetView::draw(const ProjectsEntry& entry) {
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
        // A file that cannot be read is no empty shelf: the application says what happened to it.
        setLink(m_entry.unreadable ? mainWindowLink() : newProjectLink());
    } else if (m_family == WidgetFamily::Small) {
        setLink(shown.first().deepLink());
        m_small = new SmallView(shown.first(), m_entry.typeOf(shown.first()), m_mode, this);
        m_content = m_small;
    } else {
        setLink({});
        m_list = new ListView(shown, m_entry.types, int(m_entry.activeCount), WidgetFamilies::showsNext(m_family),
                              m_mode, this);
        m_content = m_list;
    }
    if (m_content) {
        layout()->addWidget(m_content);
        for (LinkSurface* surface : m_content->findChildren<LinkSurface*>()) {
            connect(surface, &LinkSurface::linkActivated, this, &SorvelWidgetView::linkRequested);
            connect(surface, &LinkSurface::windowDragged, this, &LinkSurface::windowDragged);
        }
        for (IntentButton* button : m_content->findChildren<IntentButton*>())
            connect(button, &IntentButton::intentTriggered, this, &SorvelWidgetView::intentRequested);
        m_content->show();
        if (m_notice)
            m_notice->raise();
    }
    update();
}

void SorvelWidgetView::showNotice(const QString& text) {
    if (!m_notice)
        m_notice = new WidgetNotice(this);
    m_notice->showText(text);
}

QString SorvelWidgetView::notice() const {
    return m_notice ? m_notice->text() : QString();
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
    const QStringList lines = emptyStateLines();
    const auto lineFont = [](qsizetype index) { return index == 0 ? emptyFont() : hintFont(); };
    qreal textHeight = 0;
    for (qsizetype i = 0; i < lines.size(); ++i)
        textHeight += Shapes::lineHeight(lineFont(i)) + (i > 0 ? hintSpacing : 0);
    const qreal tapeWidth = emptyReelSize * 5;
    const qreal tapeHeight = TapeWindow::naturalHeight(emptyReelSize);
    const qreal top = content.center().y() - (tapeHeight + emptySpacing + textHeight) / 2;
    painter.save();
    painter.setOpacity(emptyOpacity);
    TapeWindow::paint(painter, QRectF(content.center().x() - tapeWidth / 2, top, tapeWidth, tapeHeight), 0,
                      Studio::text3(), emptyReelSize);
    painter.restore();
    qreal lineTop = top + tapeHeight + emptySpacing;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QFont font = lineFont(i);
        const qreal height = Shapes::lineHeight(font);
        const qreal width = qMin(Shapes::textWidth(font, lines.at(i)), content.width());
        Shapes::drawLine(painter, font, Studio::text3(),
                         QPointF(content.center().x() - width / 2, Shapes::centredBaseline(font, lineTop + height / 2)),
                         lines.at(i), width + 1);
        lineTop += height + hintSpacing;
    }
}

} // namespace sorvel
