#pragma once

#include <QList>
#include <QUuid>
#include <QWidget>

#include <optional>

class QAbstractButton;
class QLabel;

namespace sorvel {

class ProjectStore;
class TypeList;
class TypeRow;

// The editor of the project types: one row per type in the registry's order,
// rows reordered by dragging, an add row at the end and a footer with the
// reset button. Every change goes straight to the store; there is nothing to
// apply or cancel.
class TypeEditor final : public QWidget {
    Q_OBJECT
public:
    explicit TypeEditor(ProjectStore& store, QWidget* parent = nullptr);

    // The type whose title field has the keyboard; none at first.
    std::optional<QUuid> focusedType() const { return m_focused; }
    // Moves the keyboard to that type's title field (none: out of every
    // field); the type it leaves gets the row's focus-leave rule.
    void setFocusedType(const std::optional<QUuid>& id);

    // Appends a type and moves the keyboard into its title on the next turn.
    QUuid addType();
    // Deletes a type, its projects going to the first other type of the list;
    // nothing when it is the only one.
    static void deleteType(ProjectStore& store, const QUuid& id);

    TypeRow* row(const QUuid& id) const;
    QList<TypeRow*> rows() const;
    TypeList* list() const { return m_list; }
    QAbstractButton* addButton() const { return m_add; }
    QAbstractButton* resetButton() const { return m_reset; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void sync();
    void rebuild();
    void titleFocusEntered(const QUuid& id);
    void titleFocusLost(const QUuid& id);
    void leave(const std::optional<QUuid>& id);

    ProjectStore& m_store;
    TypeList* m_list;
    QAbstractButton* m_add = nullptr;
    QAbstractButton* m_reset;
    QLabel* m_footer;
    std::optional<QUuid> m_focused;
    bool m_rebuilding = false;
};

} // namespace sorvel
