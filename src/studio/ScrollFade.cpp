#include "studio/ScrollFade.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>

namespace sorvel {

ScrollFade::ScrollFade(QAbstractScrollArea* area, const QColor& background)
    : QWidget(area->viewport()), m_area(area), m_background(background) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(area->viewport()->rect());
    area->viewport()->installEventFilter(this);
    const QScrollBar* bar = area->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    connect(bar, &QScrollBar::rangeChanged, this, qOverload<>(&QWidget::update));
    raise();
}

bool ScrollFade::fadesTop() const {
    return m_area->verticalScrollBar()->value() > m_area->verticalScrollBar()->minimum();
}

bool ScrollFade::fadesBottom() const {
    return m_area->verticalScrollBar()->value() < m_area->verticalScrollBar()->maximum();
}

bool ScrollFade::eventFilter(QObject* watched, QEvent* event) {
    // Covers the viewport whatever its size, above the content it scrolls.
    if (watched == m_area->viewport() && event->type() == QEvent::Resize) {
        setGeometry(m_area->viewport()->rect());
        raise();
    }
    return QWidget::eventFilter(watched, event);
}

void ScrollFade::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QColor clear = m_background;
    clear.setAlpha(0);
    const int band = std::min(depth, height() / 2);
    if (fadesTop()) {
        QLinearGradient fade(0, 0, 0, band);
        fade.setColorAt(0, m_background);
        fade.setColorAt(1, clear);
        painter.fillRect(QRect(0, 0, width(), band), fade);
    }
    if (fadesBottom()) {
        QLinearGradient fade(0, height() - band, 0, height());
        fade.setColorAt(0, clear);
        fade.setColorAt(1, m_background);
        painter.fillRect(QRect(0, height() - band, width(), band), fade);
    }
}

} // namespace sorvel
