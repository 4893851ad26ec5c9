#pragma once

#include <QWidget>

class QScrollArea;

namespace sorvel {

class NumberList;

// One column of the duration picker: a heading over a scrolling list of the
// numbers of a range, the chosen one marked in the accent tint. Each time the
// column is shown it centres the chosen number; a value outside the range
// marks nothing and leaves the list at its top.
class NumberColumn final : public QWidget {
    Q_OBJECT
public:
    static constexpr int listHeight = 170;

    NumberColumn(const QString& title, int lowest, int highest, qint64 value, QWidget* parent = nullptr);

    qint64 value() const { return m_value; }
    // A tap on a number: sets the value, reports it when it changed.
    void choose(qint64 value);
    int lowest() const { return m_lowest; }
    int highest() const { return m_highest; }
    // The row of a number within the scrolling list, empty outside the range.
    QRect rowRect(int number) const;
    QWidget* list() const;
    QScrollArea* scrollArea() const { return m_scroll; }

Q_SIGNALS:
    void valueChanged(qint64 value);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class NumberList;
    void centreOnValue();

    int m_lowest;
    int m_highest;
    qint64 m_value;
    QScrollArea* m_scroll = nullptr;
    NumberList* m_list = nullptr;
};

} // namespace sorvel
