#pragma once

#include <QString>

#include <functional>

namespace sorvel {

class ProjectStore;

// Stands between a quit and changes that could not be written: it writes what
// is pending and, while that fails, asks whether to try again or to quit anyway.
class UnsavedChangesGuard {
public:
    enum class Choice { TryAgain, QuitAnyway };
    // Asks the user; `problem` is why the changes could not be written.
    using Presenter = std::function<Choice(const QString& problem)>;

    UnsavedChangesGuard(ProjectStore& store, Presenter presenter);

    // Writes what is pending, asking again for as long as that fails and the
    // user chooses to try again; true once everything was written or the user
    // chose to quit anyway (what is lost is then logged). False for a quit
    // requested while the question is open (the quit key in the dialog): that
    // one is answered by the open question.
    bool writeBeforeQuit();
    // The quit by a signal asks nobody: it writes what it can and logs the rest.
    // True when nothing was lost.
    bool writeBeforeSignalQuit();

    void setPresenter(Presenter presenter) { m_presenter = std::move(presenter); }

private:
    void logLoss(const QString& how) const;

    ProjectStore& m_store;
    Presenter m_presenter;
    bool m_asking = false;
};

} // namespace sorvel
