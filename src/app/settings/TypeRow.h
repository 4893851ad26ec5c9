#pragma once

#include "app/settings/SymbolPicker.h"
#include "core/ProjectType.h"

#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QLineEdit;

namespace sorvel {

class ColorWell;
class KindBadgeButton;
class PointerHover;
class ProjectStore;

// One project type in the type editor: drag handle, badge (opens the symbol
// picker), title field, project count, colour well and a delete button that
// shows only under the pointer. Every edit goes straight to the store.
//
// The title is stored while typing, trimmed, and never empty. Whether the
// title field counts as focused belongs to the editor, which calls
// focusLeft() when the focus moves elsewhere. A long title that is not being
// edited shows its start.
class TypeRow final : public QWidget {
    Q_OBJECT
public:
    TypeRow(ProjectStore& store, const ProjectType& type, qint64 count, bool canDelete, QWidget* parent = nullptr);

    const ProjectType& type() const { return m_type; }
    qint64 count() const { return m_count; }
    bool canDelete() const { return m_canDelete; }

    // New values from the editor; the title buffer follows a changed stored
    // title unless `titleFocused` (the user is typing in it).
    void setValues(const ProjectType& type, qint64 count, bool canDelete, bool titleFocused);
    // The focus left the title field: an empty title either removes a type
    // without projects (when another type remains) or brings the stored one back.
    void focusLeft();

    // Stores a symbol chosen in the picker and closes the picker.
    void chooseSymbol(const QString& symbol);
    SymbolPicker* openSymbolPicker();

    QLineEdit* titleField() const { return m_title; }
    QLabel* countLabel() const { return m_countLabel; }
    ColorWell* colorWell() const { return m_well; }
    QAbstractButton* deleteButton() const { return m_delete; }
    bool isHovering() const;

    static QString countText(qint64 count);
    static QString deleteToolTip(qint64 count);

Q_SIGNALS:
    void titleFocusEntered(const QUuid& id);
    void titleFocusLost(const QUuid& id);
    void returnPressed(const QUuid& id);
    void deleteRequested(const QUuid& id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void commitTitle();
    void showTitleStart();
    void storeColor(const QColor& color);
    void updateDeleteButton();

    ProjectStore& m_store;
    ProjectType m_type;
    qint64 m_count;
    bool m_canDelete;
    PointerHover* m_hover = nullptr;
    KindBadgeButton* m_badge;
    QLineEdit* m_title;
    QLabel* m_countLabel;
    ColorWell* m_well;
    QAbstractButton* m_delete;
    QPointer<SymbolPicker> m_picker;
};

} // namespace sorvel
