#pragma once

#include "core/ProjectType.h"

#include <QAbstractButton>
#include <QUuid>

class QMenu;

namespace sorvel {

class TypeRegistry;

// The type chip of the label card: symbol, title and a small chevron in ink
// on the type's colour. A click lists every registered type in a menu; a
// choice is reported through `typeChosen`, also when it is the current type.
// From the keyboard, Space, Return, Enter or the arrow down open the menu.
class TypeMenuButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit TypeMenuButton(TypeRegistry& registry, QWidget* parent = nullptr);

    const ProjectType& type() const { return m_type; }
    void setType(const ProjectType& type);
    // Puts one action per registered type, in registry order, into `menu`.
    void fillMenu(QMenu& menu);

    QSize sizeHint() const override;

Q_SIGNALS:
    void typeChosen(const QUuid& typeID);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openMenu();

    TypeRegistry& m_registry;
    ProjectType m_type;
};

} // namespace sorvel
