#pragma once

#include <QColor>
#include <QWidget>

class QAbstractScrollArea;

namespace sorvel {

// Fades a scroll area's content into the colour behind it at the top and at
// the bottom wherever there is more to scroll to, so that a list without
// indicators still shows that it goes on. Lies over the area's viewport and
// lets every click through.
class ScrollFade final : public QWidget {
public:
    static constexpr int depth = 22;

    ScrollFade(QAbstractScrollArea* area, const QColor& background);

    bool fadesTop() const;
    bool fadesBottom() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QAbstractScrollArea* m_area;
    QColor m_background;
};

} // namespace sorvel
