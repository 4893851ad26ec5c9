#include "app/library/SelectionReveal.h"

#include "app/navigation/AppRouter.h"

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QTimer>

#include <cmath>

namespace sorvel {

SelectionReveal::SelectionReveal(QAbstractScrollArea& page, AppRouter& router, Locate locate)
    : QObject(&page), m_page(page), m_router(router), m_locate(std::move(locate)) {
    connect(&m_router, &AppRouter::selectionChanged, this, &SelectionReveal::selectionChanged);
}

qreal SelectionReveal::stepToShow(qreal top, qreal bottom, qreal height) {
    if (top < 0)
        return top;
    if (bottom > height)
        return std::min(bottom - height, top);
    return 0;
}

void SelectionReveal::selectionChanged() {
    const QSet<QUuid>& selection = m_router.selection();
    if (selection.size() != 1) {
        m_target.reset(); // several tapes, or none: nothing to chase
        return;
    }
    m_target = *selection.cbegin();
    m_since.start();
    // After the page has taken the change in (a switch of destination refills it).
    QTimer::singleShot(0, this, &SelectionReveal::reveal);
}

void SelectionReveal::pageChanged() {
    if (m_target && m_since.isValid() && m_since.elapsed() < settleMs)
        reveal();
}

void SelectionReveal::reveal() {
    if (!m_target || !m_router.selection().contains(*m_target) || !m_page.isVisible())
        return;
    const std::optional<QRectF> rect = m_locate(*m_target);
    if (!rect)
        return;
    const qreal step = stepToShow(rect->top(), rect->bottom(), m_page.viewport()->height());
    if (step != 0) {
        QScrollBar* bar = m_page.verticalScrollBar();
        bar->setValue(bar->value() + int(step < 0 ? std::floor(step) : std::ceil(step)));
    }
}

} // namespace sorvel
