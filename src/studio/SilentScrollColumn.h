#pragma once

#include <QScrollArea>

class QVBoxLayout;

namespace sorvel {

// A vertical scroll view that never shows its indicators, around a column of
// widgets that lets its parent's background show through. The sidebar's
// destinations and the calendar's day panel scroll this way.
class SilentScrollColumn final : public QScrollArea {
public:
    explicit SilentScrollColumn(QWidget* parent = nullptr);

    // The scrolled widget and its column layout (no margins, no spacing).
    QWidget* content() const { return m_content; }
    QVBoxLayout* column() const { return m_column; }

private:
    QWidget* m_content;
    QVBoxLayout* m_column;
};

} // namespace sorvel
