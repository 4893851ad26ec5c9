#pragma once

#include <QUuid>
#include <QWidget>

class QLineEdit;
class QMenu;

namespace sorvel {

class KindBadge;
class ProjectStore;

// The quick way to start a tape from the panel: a type menu shown as the
// type's badge, and a name field; Return asks to create the tape.
class NewTapeRow final : public QWidget {
    Q_OBJECT
public:
    NewTapeRow(ProjectStore& store, const QUuid& typeID, QWidget* parent = nullptr);

    QUuid typeID() const { return m_typeID; }
    void setTypeID(const QUuid& typeID);
    QLineEdit* nameField() const { return m_name; }
    QMenu* typeMenu() const { return m_menu; }

Q_SIGNALS:
    void createRequested();

private:
    void fillMenu();
    void showType();

    ProjectStore& m_store;
    QUuid m_typeID;
    KindBadge* m_badge;
    QMenu* m_menu;
    QLineEdit* m_name;
};

} // namespace sorvel
