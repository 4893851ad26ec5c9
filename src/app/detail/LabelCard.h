#pragma once

#include "core/AudioProject.h"

#include <QList>
#include <QUuid>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace sorvel {

class DetailChip;
class ProjectStore;
class TypeMenuButton;
class TypedTextWrite;

// The paper label at the top of the detail: the type menu and how long ago
// the project changed, the editable name, a rule, and the four status chips.
class LabelCard final : public QWidget {
    Q_OBJECT
public:
    LabelCard(const QUuid& projectID, ProjectStore& store, QWidget* parent = nullptr);

    // "更新 " and how long ago the project was changed.
    static QString modifiedText(const QDateTime& updatedAt, const QDateTime& now);

    void refresh(const AudioProject& project);

    void chooseType(const QUuid& typeID);
    void chooseStatus(ProjectStatus status);

    TypeMenuButton* typeButton() const { return m_type; }
    QLabel* modifiedLabel() const { return m_modified; }
    QLineEdit* nameField() const { return m_name; }
    // In the order of the statuses.
    const QList<DetailChip*>& statusChips() const { return m_statusChips; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QUuid m_projectID;
    ProjectStore& m_store;
    TypeMenuButton* m_type;
    QLabel* m_modified;
    QLineEdit* m_name;
    TypedTextWrite* m_nameWrite;
    QList<DetailChip*> m_statusChips;
};

} // namespace sorvel
