#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace sorvel {

// One section of a sheet's grouped form: an optional header, a rounded plate whose
// rows are parted by hairlines, and an optional footer in the secondary colour.
class SheetSection final : public QWidget {
    Q_OBJECT
public:
    explicit SheetSection(QWidget* parent = nullptr);

    void setHeader(const QString& text);
    void setFooter(const QString& text);
    QString footer() const;

    // A row with a label on the left and `value` on the right.
    void addRow(const QString& label, QWidget* value);
    // A row that is wholly `content`.
    void addRow(QWidget* content);
    void clearRows();
    int rowCount() const { return m_rows; }

private:
    void addSeparatorIfNeeded();
    void sizeChanged();

    QLabel* m_header = nullptr;
    QLabel* m_footer = nullptr;
    QWidget* m_plate = nullptr;
    QVBoxLayout* m_plateLayout = nullptr;
    int m_rows = 0;
};

} // namespace sorvel
