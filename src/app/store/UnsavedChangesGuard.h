#pragma once

#include "app/store/SaveProblem.h"
#include "core/FileError.h"
#include "core/FileOutcome.h"

#include <QString>

#include <functional>

namespace sorvel {

// Stands between a quit and changes that could not be written: it writes what
// is pending and, while that fails, asks whether to try again or to quit anyway.
// Before it asks, and before a quit that cannot write, the unsaved library is
// kept in a rescue file outside the data folder, which the question and the
// log name, and which the next start merges into the data file.
class UnsavedChangesGuard {
public:
    // What the guard asks of the store that holds the changes (ProjectStore).
    class Changes {
    public:
        virtual void quit(int folderPatienceMs) = 0;
        virtual bool isDirty() const = 0;
        virtual SaveProblem saveProblem() const = 0;
        virtual FileOutcome keepRescueCopy() = 0;
        virtual QString unsavedSummary() const = 0;

    protected:
        ~Changes() = default;
    };
    enum class Choice { TryAgain, QuitAnyway };
    struct Question {
        SaveProblem problem; // why the changes could not be written
        QString rescueFile; // where they were kept; empty when that failed too
    };
    // Asks the user, from the store's state at the moment of asking.
    using Presenter = std::function<Choice(const Question& question)>;

    UnsavedChangesGuard(Changes& store, Presenter presenter);

    // The question's text below its title.
    static QString details(const Question& question);

    // Writes what is pending, asking again for as long as that fails and the
    // user chooses to try again; true once everything was written or the user
    // chose to quit anyway (what is lost is then logged). False for a quit
    // requested while the question is open (the quit key in the dialog): that
    // one is answered by the open question.
    bool writeBeforeQuit();
    // The quit by a signal asks nobody: it writes what it can, keeps the rest
    // in a rescue file and logs it. True when nothing was lost.
    bool writeBeforeSignalQuit();
    // The last write as the program exits: it waits for the folder as a quit
    // does, unless the quit already did (it quit anyway, or by a signal), and
    // keeps the rest in a rescue file as a quit by a signal does.
    void writeAtExit();

private:
    // The rescue file of the store's unsaved library (ProjectStore::keepRescueCopy).
    QString rescue();
    void logLoss(const QString& how) const;

    Changes& m_store;
    Presenter m_presenter;
    bool m_asking = false;
    bool m_settled = false; // the quit gave up on writing and kept a rescue copy
    QString m_rescueFile;
    FileError m_rescueError;
};

} // namespace sorvel
