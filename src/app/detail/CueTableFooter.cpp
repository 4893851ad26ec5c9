#include "app/detail/CueTableFooter.h"

#include "core/CueTime.h"
#include "studio/PlainSymbolButton.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"

#include <QHBoxLayout>
#include <QLabel>

namespace sorvel {

CueTableFooter::CueTableFooter(QWidget* parent) : QWidget(parent) {
    setFixedHeight(height);
    // The add button reaches this far past its label, so that a focus ring stands clear of the text;
    // the label stays where the margin puts it.
    constexpr int ringRoom = 4;
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(8 - ringRoom, 9, 8, 9);
    line->setSpacing(10);
    m_add = new PlainSymbolButton(QStringLiteral("plus"), QStringLiteral("添加 cue"), Studio::font(12), this);
    m_add->setFixedSize(m_add->sizeHint() + QSize(2 * ringRoom, 0));
    connect(m_add, &QAbstractButton::clicked, this, &CueTableFooter::addRequested);
    line->addWidget(m_add);
    line->addStretch(1);
    m_count = Studio::plainLabel(countText(0), Studio::font(11), Studio::text3(), this);
    line->addWidget(m_count);
    m_total = Studio::plainLabel(totalText(0), Studio::font(13, Studio::Weight::Semibold, true), Studio::text(), this);
    line->addWidget(m_total);
}

QString CueTableFooter::countText(qsizetype cueCount) {
    return QString::number(cueCount) + QStringLiteral(" 段");
}

QString CueTableFooter::totalText(qint64 totalSeconds) {
    return QStringLiteral("合计 ") + CueTime::total(totalSeconds);
}

QString CueTableFooter::countText() const {
    return m_count->text();
}

QString CueTableFooter::totalText() const {
    return m_total->text();
}

void CueTableFooter::setSummary(qsizetype cueCount, qint64 totalSeconds) {
    m_count->setText(countText(cueCount));
    m_total->setText(totalText(totalSeconds));
}

} // namespace sorvel
