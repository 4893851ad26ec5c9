#pragma once

#include "app/store/model/ProjectChange.h"
#include "core/AudioProject.h"
#include "core/SettingsKeys.h"

#include <QHash>
#include <QList>
#include <QUuid>
#include <QWidget>

#include <optional>
#include <vector>

class QScrollArea;
class QVBoxLayout;

namespace sorvel {

class EdgePanelController;
class NewTapeRow;
class PanelEmptyState;
class SymbolTileButton;
class PanelTabButton;
class PanelTape;
class StudioButton;

// The open panel: header (reel, brand, new tape, pin, main window), the two
// tabs with their counts, the new-tape row when asked for, the current tab's
// tapes (or what is missing), and on the done tab a button that hands every
// finished tape to the main window for archiving. Built afresh at every
// expansion; it changes data only through the store. Widgets exist only for
// the first tapes, a page beyond what has been scrolled to, and a change of
// the store touches only the widgets of the projects it names.
class EdgePanelView final : public QWidget {
    Q_OBJECT
public:
    enum class Tab { Active, Done };

    static inline const QString tintKey = QLatin1String(SettingsKeys::panelTint);
    static inline const QString materialKey = QLatin1String(SettingsKeys::panelMaterial);
    static constexpr qreal cornerRadius = 16;
    // Tapes built at a time: the first ones at the start, more as the list
    // is scrolled to within a screen of its end.
    static constexpr qsizetype pageSize = 24;

    EdgePanelView(EdgePanelController& controller, QWidget* parent = nullptr);

    // The tapes a tab lists: active ones in the store's active order; done
    // ones not archived, newest completion first, those without a date last.
    static QList<AudioProject> rows(const QList<AudioProject>& projects, Tab tab);
    static qsizetype count(const QList<AudioProject>& projects, Tab tab);
    // At least two digits: 7 → "07", 123 → "123".
    static QString countText(qsizetype count);
    static QString title(Tab tab); // "进行中", "已完成"
    static QString emptyText(Tab tab); // "没有进行中的磁带", "没有待归档的磁带"
    static QString readingText(); // while the data file has not been read yet

    Tab tab() const { return m_tab; }
    void setTab(Tab tab);
    std::optional<QUuid> expandedID() const { return m_expandedID; }
    // Opens the tape, or closes it when it is the open one.
    void tapTape(const QUuid& id);
    bool isAdding() const;
    // The header's plus/xmark: shows the new-tape row with an empty, focused
    // field, or hides it and forgets what was typed.
    void toggleAddRow();
    // Return in the new-tape row.
    void createTape();
    QUuid addingTypeID() const;

    // Every tape the tab lists, in the order drawn.
    const QList<QUuid>& shownIDs() const { return m_order; }
    // The widgets of the first of those, in the same order.
    QList<PanelTape*> tapes() const { return m_tapes; }
    QScrollArea* scrollArea() const { return m_scroll; }
    PanelTabButton* tabButton(Tab tab) const;
    SymbolTileButton* addButton() const { return m_addButton; }
    SymbolTileButton* pinButton() const { return m_pinButton; }
    SymbolTileButton* windowButton() const { return m_windowButton; }
    NewTapeRow* addRow() const { return m_addRow; }
    PanelEmptyState* emptyState() const { return m_empty; }
    StudioButton* footer() const { return m_footer; }

    // Whether the tapes keep the places they are drawn in: while the pointer
    // is over the panel, so that a click never lands on a tape that moved.
    bool holdsOrder() const { return m_pointerOver; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildTabs();
    // `change`: the projects whose records may differ from what the tapes hold.
    void refresh(const ProjectChange& change = {});
    // Builds, keeps, updates and places the widgets of the first of `shown`.
    void syncTapes(const std::vector<const AudioProject*>& shown, const ProjectChange& change);
    void placeTapes(const QList<PanelTape*>& next);
    // Builds the next page when the list is scrolled near the end of what is built.
    void buildMore();
    void showPin();

    EdgePanelController& m_controller;
    Tab m_tab = Tab::Active;
    std::optional<QUuid> m_expandedID;
    bool m_adding = false;
    bool m_pointerOver = false;

    SymbolTileButton* m_addButton = nullptr;
    SymbolTileButton* m_pinButton = nullptr;
    SymbolTileButton* m_windowButton = nullptr;
    PanelTabButton* m_activeTab = nullptr;
    PanelTabButton* m_doneTab = nullptr;
    NewTapeRow* m_addRow = nullptr;
    QScrollArea* m_scroll = nullptr;
    QVBoxLayout* m_list = nullptr;
    PanelEmptyState* m_empty = nullptr;
    StudioButton* m_footer = nullptr;
    QList<QUuid> m_order;
    QList<PanelTape*> m_tapes;
    qsizetype m_wanted = pageSize;
};

} // namespace sorvel
