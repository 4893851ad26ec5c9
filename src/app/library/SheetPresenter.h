#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUuid>

class QWidget;

namespace sorvel {

class AppRouter;
class ProjectStore;
class Settings;

// Presents the library window's three sheets from the router's requests:
// the new-project sheet, the type editor and the archive sheet. Sheets are
// window-modal dark dialogs shown one at a time; a request made while
// another sheet is open waits for it. Closing a sheet by any means clears
// its request, and a request withdrawn by the router closes its sheet.
class SheetPresenter final : public QObject {
    Q_OBJECT
public:
    enum class Sheet { None, NewProject, TypeEditor, Archive };

    SheetPresenter(QWidget* window, ProjectStore& store, AppRouter& router, Settings& settings);
    ~SheetPresenter() override;

    Sheet current() const { return m_current; }
    QDialog* currentDialog() const { return m_dialog; }
    // The identity of an archive request: the ids' texts sorted and joined,
    // so the same set is the same sheet in whatever order it was built.
    static QString archiveIdentity(const QSet<QUuid>& ids);

    // Looks at the router again; the window calls it when it is shown or restored.
    void sync();

private:
    Sheet requested() const;
    bool stillRequested() const;
    void present(Sheet sheet);
    void dismissForRouter();
    void finished();

    QWidget* m_window;
    ProjectStore& m_store;
    AppRouter& m_router;
    Settings& m_settings;
    Sheet m_current = Sheet::None;
    QPointer<QDialog> m_dialog;
    QString m_archiveIdentity;
    bool m_closingForRouter = false;
};

} // namespace sorvel
