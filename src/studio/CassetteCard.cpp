#include "studio/CassetteCard.h"
#include "core/CueText.h"
#include "core/UserText.h"

#include "studio/ReelSpin.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/TapeWindow.h"
#include "studio/ValueChange.h"

#include "core/CueTime.h"
#include "core/StudioText.h"
#include "core/TypeRegistry.h"

#include <algorithm>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {

using Weight = Studio::Weight;

constexpr qreal cardInset = 10;
constexpr qreal cardSpacing = 10;
constexpr qreal faceRadius = 14;
constexpr qreal labelInset = 8;
constexpr qreal labelSpacing = 6;
constexpr qreal labelRadius = 7;
constexpr qreal stripSpacing = 5;
constexpr qreal stripInsetX = 7;
constexpr qreal stripInsetY = 4;
constexpr qreal stripRadius = 4;
constexpr qreal minimumSpacer = 4;
constexpr qreal textInset = 2;
constexpr qreal rowSpacing = 8; // the platform's default spacing in a row
constexpr qreal reelSize = 30;
constexpr qreal percentFrame = 48;
constexpr qreal stepSpacing = 6;
constexpr qreal tagInsetX = 5;
constexpr qreal tagInsetY = 2;
constexpr qreal tagRadius = 3;
constexpr qreal tagTracking = 1;
constexpr qreal screwDiameter = 4;
constexpr qreal screwInset = 5;
constexpr qreal archivedOpacity = 0.6;

struct Fonts {
    QFont typeTitle = Studio::font(11, Weight::Semibold);
    QFont status = Studio::font(10, Weight::Medium, true);
    QFont name = Studio::font(16, Weight::Semibold);
    QFont summary = Studio::font(10, Weight::Regular, true);
    QFont percent = Studio::font(24, Weight::Semibold, true);
    QFont percentSign = Studio::font(10, Weight::Regular, true);
    QFont tag = [] {
        QFont font = Studio::font(9, Weight::Bold, true);
        font.setLetterSpacing(QFont::AbsoluteSpacing, tagTracking);
        return font;
    }();
    QFont step = Studio::font(12, Weight::Medium);
    static constexpr qreal typeSymbolSize = 10;
    static constexpr qreal starSize = 9;
};

const Fonts& fonts() {
    static const Fonts shared;
    return shared;
}

using Shapes::lineHeight;

qreal baselineFor(const QFont& font, qreal midY) {
    return Shapes::centredBaseline(font, midY);
}

struct Heights {
    qreal strip;
    qreal name;
    qreal summary;
    qreal label;
    qreal tapeRow;
    qreal step;
    qreal card;
};

const Heights& heights() {
    static const Heights shared = [] {
        const Fonts& f = fonts();
        Heights h{};
        h.strip = std::max<qreal>(
                      {Symbols::sideForFontSize(Fonts::typeSymbolSize), lineHeight(f.typeTitle), lineHeight(f.status)})
            + stripInsetY * 2;
        h.name = lineHeight(f.name);
        h.summary = lineHeight(f.summary);
        h.label = labelInset * 2 + h.strip + labelSpacing + h.name + labelSpacing + 1 + labelSpacing + h.summary;
        h.tapeRow = qMax(TapeWindow::naturalHeight(reelSize), lineHeight(f.percent));
        h.step = qMax(lineHeight(f.tag) + tagInsetY * 2, lineHeight(f.step));
        h.card = cardInset * 2 + h.label + cardSpacing + h.tapeRow + cardSpacing + h.step;
        return h;
    }();
    return shared;
}

QColor tagBackground(CassetteCard::Tag tag, const QColor& tint) {
    switch (tag) {
    case CassetteCard::Tag::Late: return Studio::systemRed();
    case CassetteCard::Tag::Next: return tint;
    case CassetteCard::Tag::Archived:
    case CassetteCard::Tag::Done: return Studio::text3();
    }
    return Studio::text3();
}

QColor tagForeground(CassetteCard::Tag tag) {
    return tag == CassetteCard::Tag::Late ? QColor(Qt::white) : Studio::bg0();
}

void paintTypeStrip(QPainter& painter, const QRectF& strip, const AudioProject& project, const ProjectType& kind) {
    const Fonts& f = fonts();
    Shapes::fillRounded(painter, strip, stripRadius, Studio::typeColor(kind));
    const QRectF content = strip.adjusted(stripInsetX, stripInsetY, -stripInsetX, -stripInsetY);
    const qreal midY = strip.center().y();
    const QColor ink = Studio::labelInk();

    // From the trailing edge: status, then the focus star.
    const QString status = title(project.status);
    const qreal statusWidth = qMin(Shapes::textWidth(f.status, status), qMax<qreal>(0, content.width()));
    Shapes::drawLine(painter, f.status, ink, QPointF(content.right() - statusWidth, baselineFor(f.status, midY)),
                     status, statusWidth + 0.5);
    qreal trailingEdge = content.right() - statusWidth;
    if (project.isFocused) {
        const qreal star = Symbols::sideForFontSize(Fonts::starSize);
        trailingEdge -= stripSpacing + star;
        Symbols::paint(painter, QRectF(trailingEdge, midY - star / 2, star, star), QStringLiteral("star.fill"), ink);
    }

    // From the leading edge: symbol and title, which gives way first.
    const qreal symbol = Symbols::sideForFontSize(Fonts::typeSymbolSize);
    qreal x = content.left();
    if (content.width() >= symbol) {
        Symbols::paint(painter, QRectF(x, midY - symbol / 2, symbol, symbol), kind.symbol, ink, Weight::Bold);
        x += symbol + stripSpacing;
    }
    const qreal titleRoom = trailingEdge - stripSpacing - minimumSpacer - stripSpacing - x;
    Shapes::drawLine(painter, f.typeTitle, ink, QPointF(x, baselineFor(f.typeTitle, midY)),
                     UserText::singleLine(kind.title), titleRoom);
}

void paintLabel(QPainter& painter, const QRectF& label, const AudioProject& project, const ProjectType& kind) {
    const Fonts& f = fonts();
    const Heights& h = heights();
    Shapes::fillRounded(painter, label, labelRadius, Studio::label());
    const QRectF content = label.adjusted(labelInset, labelInset, -labelInset, -labelInset);
    qreal y = content.top();

    paintTypeStrip(painter, QRectF(content.left(), y, content.width(), h.strip), project, kind);
    y += h.strip + labelSpacing;

    Shapes::drawLine(painter, f.name, Studio::labelInk(),
                     QPointF(content.left() + textInset, baselineFor(f.name, y + h.name / 2)),
                     UserText::singleLine(project.name), content.width() - textInset * 2);
    y += h.name + labelSpacing;

    painter.fillRect(QRectF(content.left(), y, qMax<qreal>(0, content.width()), 1), Studio::labelLine());
    y += 1 + labelSpacing;

    const QColor faint = Studio::faded(Studio::labelInk(), 0.55);
    const qreal baseline = baselineFor(f.summary, y + h.summary / 2);
    const qreal left = content.left() + textInset;
    const qreal right = content.right() - textInset;
    qreal subtitleRight = right;
    if (project.deadline && project.isActive()) {
        const QString deadline = StudioText::shortDate(*project.deadline);
        const qreal width = qMin(Shapes::textWidth(f.summary, deadline), qMax<qreal>(0, right - left));
        Shapes::drawLine(painter, f.summary, project.isOverdue() ? Studio::systemRed() : faint,
                         QPointF(right - width, baseline), deadline, width + 0.5);
        subtitleRight = right - width - rowSpacing - minimumSpacer - rowSpacing;
    }
    Shapes::drawLine(painter, f.summary, faint, QPointF(left, baseline), CassetteCard::subtitle(project),
                     subtitleRight - left);
}

void paintTapeRow(QPainter& painter, const QRectF& row, const AudioProject& project, const QColor& typeColor,
                  qreal hubAngle) {
    const Fonts& f = fonts();
    const double progress = project.progress();
    const qreal windowWidth = qMax<qreal>(0, row.width() - cardSpacing - percentFrame);
    const qreal windowHeight = TapeWindow::naturalHeight(reelSize);
    TapeWindow::paint(painter, QRectF(row.left(), row.center().y() - windowHeight / 2, windowWidth, windowHeight),
                      progress, typeColor, reelSize, hubAngle);

    // Number and a smaller "%" on one baseline, against the trailing edge.
    const QString number = StudioText::percent(progress);
    const QString sign = QStringLiteral("%");
    const qreal numberWidth = Shapes::textWidth(f.percent, number);
    const qreal signWidth = Shapes::textWidth(f.percentSign, sign);
    const qreal frame = qMin(percentFrame, row.width());
    const qreal baseline = baselineFor(f.percent, row.center().y());
    const qreal start = row.right() - qMin(frame, numberWidth + signWidth);
    const qreal drawn = Shapes::drawLine(painter, f.percent, project.isActive() ? typeColor : Studio::text2(),
                                         QPointF(start, baseline), number, qMax<qreal>(0, frame - signWidth) + 0.5);
    Shapes::drawLine(painter, f.percentSign, Studio::text3(), QPointF(start + drawn, baseline), sign, signWidth + 0.5);
}

void paintNextStep(QPainter& painter, const QRectF& line, const AudioProject& project, const QColor& tint) {
    const Fonts& f = fonts();
    const CassetteCard::NextStep step = CassetteCard::nextStep(project);
    const QString tag = CassetteCard::tagText(step.tag);
    const qreal midY = line.center().y();
    const qreal left = line.left() + textInset;
    const qreal right = line.right() - textInset;
    const qreal tagWidth = qMin(Shapes::textWidth(f.tag, tag) + tagInsetX * 2, qMax<qreal>(0, right - left));
    const qreal tagHeight = lineHeight(f.tag) + tagInsetY * 2;
    const QRectF tagBox(left, midY - tagHeight / 2, tagWidth, tagHeight);
    Shapes::fillRounded(painter, tagBox, tagRadius, tagBackground(step.tag, tint));
    Shapes::drawLine(painter, f.tag, tagForeground(step.tag), QPointF(left + tagInsetX, baselineFor(f.tag, midY)), tag,
                     tagWidth - tagInsetX * 2 + 0.5);
    const qreal textLeft = tagBox.right() + stepSpacing;
    Shapes::drawLine(painter, f.step, Studio::text(), QPointF(textLeft, baselineFor(f.step, midY)), step.text,
                     right - textLeft);
}

void paintScrews(QPainter& painter, const QRectF& card) {
    for (int i = 0; i < 4; ++i) {
        const QPointF centre(i % 2 == 0 ? card.left() + screwInset : card.right() - screwInset,
                             i < 2 ? card.top() + screwInset : card.bottom() - screwInset);
        Shapes::fillCircle(painter, centre, screwDiameter, Studio::well());
        painter.save();
        painter.translate(centre);
        painter.rotate(45);
        painter.fillRect(QRectF(-1.5, -0.4, 3, 0.8), Studio::line());
        painter.restore();
    }
}

void paintBorder(QPainter& painter, const QRectF& card, const AudioProject& project, const CassetteCard::Look& look) {
    if (look.selected)
        Shapes::strokeRoundedInside(painter, card, faceRadius, look.tint, 2);
    else if (project.isFocused)
        Shapes::strokeRoundedInside(painter, card, faceRadius, Studio::faded(Studio::systemYellow(), 0.6), 1);
    else
        Shapes::strokeRoundedInside(painter, card, faceRadius, Studio::line(), 1);
}

void paintCard(QPainter& painter, const QRectF& card, const AudioProject& project, const ProjectType& kind,
               const CassetteCard::Look& look) {
    const Heights& h = heights();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Nothing of the card reaches outside its rounded outline, however small the frame.
    painter.setClipPath(Shapes::roundedRect(card, faceRadius), Qt::IntersectClip);
    Shapes::fillRounded(painter, card, faceRadius, look.hovering ? Studio::bg3() : Studio::bg2());

    const QRectF inner = Shapes::normalizedSize(card.adjusted(cardInset, cardInset, -cardInset, -cardInset));
    qreal y = inner.top();
    paintLabel(painter, QRectF(inner.left(), y, inner.width(), h.label), project, kind);
    y += h.label + cardSpacing;
    paintTapeRow(painter, QRectF(inner.left(), y, inner.width(), h.tapeRow), project, Studio::typeColor(kind),
                 look.hubAngle);
    y += h.tapeRow + cardSpacing;
    paintNextStep(painter, QRectF(inner.left(), y, inner.width(), h.step), project, look.tint);

    paintBorder(painter, card, project, look);
    painter.restore();
    // Not cut by the rounded outline: the screws sit where its corners curve
    // away. Only the frame itself bounds them.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(card, Qt::IntersectClip);
    paintScrews(painter, card);
    painter.restore();
}

} // namespace

CassetteCard::CassetteCard(const AudioProject& project, const TypeRegistry& types, QWidget* parent)
    : QWidget(parent), m_project(project), m_types(types), m_spin(new ReelSpin(this)) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&m_types, &TypeRegistry::typesChanged, this, qOverload<>(&QWidget::update));
}

qreal CassetteCard::naturalHeight() {
    return heights().card;
}

void CassetteCard::paint(QPainter& painter, const QRectF& rect, const AudioProject& project, const ProjectType& kind,
                         const Look& look) {
    const QRectF card = Shapes::normalizedSize(rect);
    if (card.isEmpty())
        return;
    Look resolved = look;
    if (!resolved.tint.isValid())
        resolved.tint = Studio::tape();
    if (!project.archivedAt) {
        paintCard(painter, card, project, kind, resolved);
        return;
    }
    // An archived card is dimmed as one picture and stays opaque: neither its own
    // layers nor a card behind it (in the fan of a multi-selection) show through.
    qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal scale = std::sqrt(std::abs(painter.worldTransform().determinant()));
    if (std::isfinite(scale) && scale > 0)
        ratio *= scale;
    // A painter treats a pixel ratio below 1 as 1: a smaller layer would cut the
    // card's trailing part off (the fan of a multi-selection draws cards scaled down).
    ratio = std::max<qreal>(1, ratio);
    const QSize pixels(qMin(8192, int(std::ceil(card.width() * ratio))),
                       qMin(8192, int(std::ceil(card.height() * ratio))));
    QImage layer(pixels, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        paintCard(layerPainter, QRectF(QPointF(0, 0), card.size()), project, kind, resolved);
        // What 0.6 opacity over the page would show, without the transparency.
        layerPainter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        layerPainter.fillRect(QRectF(QPointF(0, 0), card.size()), Studio::faded(Studio::bg0(), 1 - archivedOpacity));
    }
    painter.drawImage(card, layer);
}

QString CassetteCard::subtitle(const AudioProject& project) {
    if (project.archivedAt)
        return QStringLiteral("ARCHIVED ") + StudioText::shortDate(*project.archivedAt);
    if (project.progressMode == ProgressMode::Manual) {
        const qint64 total = project.totalDuration();
        return total > 0 ? QStringLiteral("MANUAL · ") + CueTime::total(total) : QStringLiteral("MANUAL");
    }
    return project.cueSummary();
}

CassetteCard::NextStep CassetteCard::nextStep(const AudioProject& project) {
    if (project.archivedAt)
        return {Tag::Archived, QStringLiteral("已归档")};
    if (project.status == ProjectStatus::Done)
        return {Tag::Done, QStringLiteral("等待归档")};
    const Cue* next = project.nextItem();
    if (project.isOverdue())
        return {Tag::Late, next ? CueText::shownTitle(*next) : QStringLiteral("已逾期")};
    if (next)
        return {Tag::Next,
                CueText::shownNumber(*next) + QStringLiteral("  ") + CueText::shownTitle(*next) + QStringLiteral(" · ")
                    + title(next->stage)};
    if (project.progressMode == ProgressMode::Manual)
        return {Tag::Next, QStringLiteral("继续推进进度")};
    if (project.items.isEmpty())
        return {Tag::Next, QStringLiteral("添加条目")};
    return {Tag::Next, QStringLiteral("标记完成")};
}

QString CassetteCard::tagText(Tag tag) {
    switch (tag) {
    case Tag::Late: return QStringLiteral("LATE");
    case Tag::Next: return QStringLiteral("NEXT");
    case Tag::Archived: return QStringLiteral("ARCHIVED");
    case Tag::Done: return QStringLiteral("DONE");
    }
    return {};
}

bool CassetteCard::reelsTurn(const AudioProject& project, bool hovering) {
    return hovering && project.isActive();
}

void CassetteCard::setProject(const AudioProject& project) {
    if (!changeValue(m_project, project))
        return;
    updateSpin();
    update();
}

void CassetteCard::setSelected(bool selected) {
    changeAndRepaint(this, m_selected, selected);
}

void CassetteCard::setHovering(bool hovering) {
    if (!changeValue(m_hovering, hovering))
        return;
    updateSpin();
    update();
}

bool CassetteCard::reelsSpinning() const {
    return m_spin->isSpinning();
}

void CassetteCard::updateSpin() {
    m_spin->setSpinning(reelsTurn(m_project, m_hovering));
}

QSize CassetteCard::sizeHint() const {
    return QSize(280, int(std::ceil(naturalHeight())));
}

int CassetteCard::heightForWidth(int) const {
    return int(std::ceil(naturalHeight()));
}

void CassetteCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Look look{m_selected, m_hovering, Studio::tint(this), m_spin->angle()};
    paint(painter, QRectF(rect()), m_project, m_types.type(m_project.typeID), look);
}

} // namespace sorvel
