#pragma once

#include "app/detail/CueColumns.h"
#include "app/detail/CueFocus.h"
#include "app/detail/DeleteReveal.h"
#include "core/Cue.h"

#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QLineEdit;
class QPropertyAnimation;

namespace sorvel {

class CueDragHandle;
class CueVersionPopover;
class DateChip;
class DurationChip;
class PlainSymbolButton;
class PointerHover;
class ProjectStore;
class StageMenuButton;
class TypedTextWrite;

// One cue of a cue table, edited in place: drag handle, number, title,
// duration, stage, version, the three dates and a delete button that shows
// while the pointer is over the row or the keyboard is in it. Every edit goes to the store at once,
// typed text once the field has handled the keystroke or paste. The two text
// fields write on the user's edits only, and take a value from the store only
// when it differs, the field is not being edited and nothing typed waits to be
// written, so the cursor never jumps and no write comes back. A cue shown with
// white space around its number or title is stored trimmed at once.
class CueRow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 32;

    CueRow(ProjectStore& store, const QUuid& projectID, const Cue& cue, QWidget* parent = nullptr);

    const Cue& cue() const { return m_cue; }
    // The store's current value of the cue; fields follow only when it changed.
    void setCue(const Cue& cue);

    // Per column, the widest any cue's cell can be: the columns are made that wide once.
    static CueColumns::Widths widestCells();

    // The cells that Tab reaches, left to right.
    QList<QWidget*> keyboardStops() const;
    void focusField(CueFocus::Field field);
    std::optional<CueFocus::Field> focusedField() const;
    bool isHovering() const;
    // Looks again where the pointer is: a drag that ended elsewhere sends the row no leave.
    void recheckHover();

    // Moves the row to `top` in its parent, gliding there when `animated`.
    void slideTo(int top, bool animated);
    // Where the row stands once any glide has ended.

    QLineEdit* numberField() const { return m_number; }
    QLineEdit* titleField() const { return m_title; }
    DurationChip* durationChip() const { return m_duration; }
    StageMenuButton* stageButton() const { return m_stage; }
    PlainSymbolButton* versionButton() const { return m_version; }
    PlainSymbolButton* deleteButton() const { return m_delete; }
    CueDragHandle* dragHandle() const { return m_handle; }
    DateChip* dateChip(Cue::DateKind kind) const;
    CueVersionPopover* versionPopover() const;
    void openVersions();

    static QString versionText(const Cue& cue);
    static QString versionHelp(const Cue& cue);
    static QString dateHelp(Cue::DateKind kind);

Q_SIGNALS:
    // The handle was dragged past the platform's start distance.
    void dragRequested(const QUuid& cueID);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* makeField(const QFont& font, const QString& placeholder, Qt::Alignment alignment);
    void storeNumber(const QString& text);
    void storeTitle(const QString& text);
    // Asks the store to trim a shown cue's number and title, once the table
    // has taken in the change that brought them.
    void trimStoredTexts();
    void showCue();
    void showFieldColors();
    void showHovering(bool hovering);
    void placeCells();
    void deleteCue();

    ProjectStore& m_store;
    QUuid m_projectID;
    Cue m_cue;
    PointerHover* m_hover = nullptr;
    // A member, so that it goes before the row's cells: as children they are
    // destroyed after it, and would otherwise tell it of their focus as they go.
    std::unique_ptr<DeleteReveal> m_reveal;
    QPropertyAnimation* m_glide = nullptr;

    CueDragHandle* m_handle = nullptr;
    QLineEdit* m_number = nullptr;
    QLineEdit* m_title = nullptr;
    TypedTextWrite* m_numberWrite = nullptr;
    TypedTextWrite* m_titleWrite = nullptr;
    DurationChip* m_duration = nullptr;
    StageMenuButton* m_stage = nullptr;
    PlainSymbolButton* m_version = nullptr;
    std::array<DateChip*, 3> m_dates{};
    PlainSymbolButton* m_delete = nullptr;
    QPointer<CueVersionPopover> m_versions;
};

} // namespace sorvel
