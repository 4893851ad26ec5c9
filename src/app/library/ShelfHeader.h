#pragma once

#include "app/navigation/SidebarItem.h"
#include "studio/ElidedLine.h"

#include <QAbstractButton>
#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace sorvel {

class AppRouter;
class ProjectStore;
class Settings;
class StudioButton;

// One of the two buttons that switch the shelf between cassettes and list;
// it writes its value to the `shelfMode` setting, even when already chosen.
class ShelfModeButton final : public QAbstractButton {
    Q_OBJECT
public:
    ShelfModeButton(Settings& settings, const QString& symbol, const QString& value, const QString& help,
                    QWidget* parent = nullptr);

    const QString& value() const { return m_value; }
    // Chosen exactly when the stored mode equals this button's value.
    bool isChosen() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Settings& m_settings;
    QString m_symbol;
    QString m_value;
};

// The shelf's header row: destination title, tape count, mode switch,
// "全部归档" on the done page, and the hint while several tapes are selected.
// When the row has no room for the hint, the hint takes a line of its own
// below, so that neither the title nor the buttons are cut; that line is kept
// while the hint is hidden, so that the shelf stays where it is.
class ShelfHeader final : public QWidget {
    Q_OBJECT
public:
    ShelfHeader(ProjectStore& store, AppRouter& router, Settings& settings, QWidget* parent = nullptr);

    // Shows the state of the current page.
    void refresh(qint64 tapeCount);

    QString titleText() const;
    const QWidget* titleLine() const { return m_title; }
    const QLabel* countLabel() const { return m_count; }
    QString countText() const;
    QString hintText() const; // empty while hidden
    const QLabel* hintLabel() const { return m_hint; }
    bool offersArchiveAll() const;
    StudioButton* archiveAllButton() const { return m_archiveAll; }
    ShelfModeButton* tapeModeButton() const { return m_tapeMode; }
    ShelfModeButton* listModeButton() const { return m_listMode; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeHint();

    ProjectStore& m_store;
    AppRouter& m_router;
    ElidedLine* m_title;
    QLabel* m_count;
    ShelfModeButton* m_tapeMode;
    ShelfModeButton* m_listMode;
    StudioButton* m_archiveAll;
    QLabel* m_hint;
    QHBoxLayout* m_row;
    QHBoxLayout* m_hintLine;
};

} // namespace sorvel
