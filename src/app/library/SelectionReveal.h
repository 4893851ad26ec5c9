#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRectF>
#include <QUuid>

#include <functional>
#include <optional>

class QAbstractScrollArea;

namespace sorvel {

class AppRouter;

// Keeps the one selected project in view of a scrolling page of the shelf.
// A project is often selected from elsewhere (a summary tile, a link, the
// tray menu, a new project, a calendar row) while it lies out of view, and
// the drawer that opens with it narrows the page and moves it again: so it is
// scrolled in when selected and once more whenever the page is laid out
// anew during the next moments.
class SelectionReveal final : public QObject {
    Q_OBJECT
public:
    // Where a project lies in the page's viewport; none when it is not on this page.
    using Locate = std::function<std::optional<QRectF>(const QUuid&)>;
    static constexpr int settleMs = 600; // longer than the drawer's slide

    SelectionReveal(QAbstractScrollArea& page, AppRouter& router, Locate locate);

    // The page has been laid out anew (resized, refilled); call after its scroll range is set.
    void pageChanged();

    // The scroll step that brings [top, bottom] into a view of `height`,
    // the top first when it cannot show all of it; 0 when it is in view.
    static qreal stepToShow(qreal top, qreal bottom, qreal height);

private:
    void selectionChanged();
    void reveal();

    QAbstractScrollArea& m_page;
    AppRouter& m_router;
    Locate m_locate;
    std::optional<QUuid> m_target;
    QElapsedTimer m_since;
};

} // namespace sorvel
