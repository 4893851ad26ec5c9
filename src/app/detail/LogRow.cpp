#include "app/detail/LogRow.h"

#include "core/StudioText.h"
#include "studio/PlainSymbolButton.h"
#include "studio/PointerHover.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace sorvel {

namespace {

// The short bar in the type colour, centred on the text's first line.
class ColorBar final : public QWidget {
public:
    ColorBar(const QColor& color, int top, QWidget* parent) : QWidget(parent), m_color(color), m_top(top) {
        setFixedSize(2, top + 12);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(QRect(0, m_top, 2, 12), m_color);
    }

private:
    QColor m_color;
    int m_top;
};

QFont dateFont() {
    return Studio::font(10, Studio::Weight::Regular, true);
}

} // namespace

int LogRow::dateColumnWidth(const QList<LogEntry>& entries) {
    const QFontMetrics metrics(dateFont());
    int widest = 0;
    for (const LogEntry& entry : entries)
        widest = std::max(widest, metrics.horizontalAdvance(StudioText::shortDate(entry.date)));
    return widest;
}

LogRow::LogRow(const LogEntry& entry, const QColor& color, int dateWidth, QWidget* parent)
    : QWidget(parent), m_entryID(entry.id) {
    const QFont textFont = Studio::font(12);
    m_date = Studio::plainLabel(StudioText::shortDate(entry.date), dateFont(), Studio::text3(), this);
    m_date->setFixedWidth(dateWidth);
    m_text = Studio::plainLabel(entry.text, textFont, Studio::text(), this);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    // After the size policy, which would otherwise drop the height-for-width
    // that wrapping sets: the row would keep one line and cut the rest off.
    m_text->setWordWrap(true);
    m_delete = new PlainSymbolButton(QStringLiteral("minus.circle.fill"), QString(), Studio::font(12), this);
    m_delete->setColor(Studio::systemRed());
    m_delete->setToolTip(QStringLiteral("删除这条记录"));
    // Hidden (and so taking no clicks) until the pointer or the keyboard is
    // in the row; it keeps its place meanwhile.
    QSizePolicy keepsPlace = m_delete->sizePolicy();
    keepsPlace.setRetainSizeWhenHidden(true);
    m_delete->setSizePolicy(keepsPlace);
    m_delete->hide();
    const QUuid id = entry.id;
    connect(m_delete, &QAbstractButton::clicked, this, [this, id] { Q_EMIT deleteRequested(id); });

    // Everything hangs from the top, lowered so the date sits on the text's first baseline.
    const QFontMetrics textMetrics(textFont);
    m_date->setContentsMargins(0, std::max(0, textMetrics.ascent() - QFontMetrics(dateFont()).ascent()), 0, 0);
    const int barTop = std::max(0, (textMetrics.height() - 12) / 2);
    const int deleteTop = std::max(0, (textMetrics.height() - m_delete->sizeHint().height()) / 2);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 5, 0, 5);
    row->setSpacing(10);
    row->addWidget(m_date, 0, Qt::AlignTop);
    row->addWidget(new ColorBar(color, barTop, this), 0, Qt::AlignTop);
    row->addWidget(m_text, 1, Qt::AlignTop);
    auto* deleteBox = new QVBoxLayout;
    deleteBox->setContentsMargins(0, deleteTop, 0, 0);
    deleteBox->addWidget(m_delete);
    deleteBox->addStretch(1);
    row->addLayout(deleteBox);

    m_hover = new PointerHover(this);
    m_reveal = std::make_unique<DeleteReveal>(this, m_hover, m_delete, QList<QWidget*>());
}

bool LogRow::isHovering() const {
    return m_hover->isHovering();
}

} // namespace sorvel
