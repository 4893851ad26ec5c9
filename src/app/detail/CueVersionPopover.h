#pragma once

#include "core/Cue.h"
#include "studio/PopoverFrame.h"

#include <QHash>
#include <QPointer>
#include <QUuid>

class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace sorvel {

class DateChip;
class ElidedLine;
class ProjectStore;
class ScrollFade;
class SilentScrollColumn;
class StudioButton;

// The version history of one cue under its version button: version 1 (the
// cue's start, never stored), then every stored version with its date and
// note; each date can be changed. A short note and "新版本 v…" add the next
// version, which sends the cue back to revising. A history taller than the
// screen scrolls, so that the note field and the button always show, and
// fades out at the edge where it goes on.
class CueVersionPopover final : public PopoverFrame {
    Q_OBJECT
public:
    static constexpr int width = 320;

    CueVersionPopover(ProjectStore& store, const QUuid& projectID, const Cue& cue, QWidget* parent = nullptr);

    // The store's current value of the cue; history rows are kept per version.
    void setCue(const Cue& cue);
    void popUnder(QWidget* anchor) override;
    // Adds a version from the note field ("修改" when it is blank) and empties the field.
    void addVersion();

    QString titleText() const;
    QLineEdit* noteField() const { return m_note; }
    StudioButton* addButton() const { return m_add; }
    // The history's date chips in order, version 1 first.
    QList<DateChip*> dateChips() const;
    // The history's notes in the same order ("初版" first), cut to the popover's width.
    QList<ElidedLine*> noteLines() const;
    SilentScrollColumn* history() const { return m_scroll; }
    ScrollFade* historyFade() const { return m_historyFade; }

    static QString title(const Cue& cue);
    static QString addButtonText(const Cue& cue);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct HistoryRow {
        QWidget* row = nullptr;
        QLabel* number = nullptr;
        DateChip* date = nullptr;
        ElidedLine* note = nullptr;
    };

    HistoryRow makeRow();
    // Gives the history all the height it needs, as far as the screen allows.
    void fitHistory();
    void keepNewestInView(int maximum);
    // Colours every version number in the current accent.
    void showTint();
    void showRow(HistoryRow& row, qint64 number, const std::optional<QDateTime>& date, const QString& note);
    void setStartDate(const std::optional<QDateTime>& date);
    void setVersionDate(const QUuid& versionID, const std::optional<QDateTime>& date);

    ProjectStore& m_store;
    QUuid m_projectID;
    Cue m_cue;
    ElidedLine* m_title = nullptr;
    SilentScrollColumn* m_scroll = nullptr;
    ScrollFade* m_historyFade = nullptr;
    QVBoxLayout* m_history = nullptr;
    bool m_showingNewest = true;
    HistoryRow m_initial;
    QList<QUuid> m_versionOrder;
    QHash<QUuid, HistoryRow> m_versionRows;
    QLineEdit* m_note = nullptr;
    StudioButton* m_add = nullptr;
    QPointer<QWidget> m_anchor;
};

} // namespace sorvel
