#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QList>
#include <QWidget>

#include <optional>

namespace sorvel {

class AppRouter;
class ProjectStore;

// One figure tile: a zero-padded number over its title, with a coloured bar
// when the figure marks a state (overdue, due soon) and is above zero.
class StatTile final : public QAbstractButton {
    Q_OBJECT
public:
    StatTile(const QString& title, QWidget* parent = nullptr);

    void setFigure(qint64 value, const std::optional<QColor>& color);
    // No figure yet (the projects are still being read): the tile shows a placeholder.
    void clearFigure();
    qint64 value() const { return m_value; }
    QString valueText() const;
    // The colour of the number: the state colour when given, else by value.
    QColor valueColor() const;
    bool showsBar() const { return m_color.has_value() && m_value > 0; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setValue(bool known, qint64 value, const std::optional<QColor>& color);

    qint64 m_value = 0;
    std::optional<QColor> m_color;
    bool m_known = true;
};

// The four figures over all projects ("进行中", "已逾期", "7 天内截止",
// "待归档"); each tile leads into the sidebar and, for the two deadline
// figures, selects the first project concerned.
class ShelfSummaryRow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int tileMinimumWidth = 96;
    static constexpr int tileSpacing = 10;
    static constexpr int minimumWidth = 4 * tileMinimumWidth + 3 * tileSpacing;

    ShelfSummaryRow(ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

    void refresh();
    QList<StatTile*> tiles() const { return {m_open, m_overdue, m_dueSoon, m_awaiting}; }

private:
    // Goes to the active page and selects the first project of the list; nothing when it is empty.
    void showFirst(const QList<QUuid>& ids);

    ProjectStore& m_store;
    AppRouter& m_router;
    StatTile* m_open;
    StatTile* m_overdue;
    StatTile* m_dueSoon;
    StatTile* m_awaiting;
};

} // namespace sorvel
