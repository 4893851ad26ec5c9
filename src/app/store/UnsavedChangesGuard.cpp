#include "app/store/UnsavedChangesGuard.h"

#include "app/store/SaveProblemText.h"
#include "app/store/sync/DataFileSync.h"
#include "core/Log.h"

namespace sorvel {

UnsavedChangesGuard::UnsavedChangesGuard(Changes& store, Presenter presenter)
    : m_store(store), m_presenter(std::move(presenter)) {}

QString UnsavedChangesGuard::details(const Question& question) {
    QString text = QStringLiteral("无法写入数据文件：") + SaveProblemText::forUser(question.problem);
    if (question.rescueFile.isEmpty())
        return text + QStringLiteral("\n现在退出，这些更改将会丢失。");
    return text + QStringLiteral("\n未保存的更改已另存到：") + question.rescueFile
        + QStringLiteral("\n现在退出，Sorvel 会在下次启动时把这些更改合并回数据文件。");
}

bool UnsavedChangesGuard::writeBeforeQuit() {
    if (m_asking)
        return false;
    for (;;) {
        m_store.quit(DataFileSync::quitWaitMs);
        if (!m_store.isDirty())
            return true;
        const Question question{m_store.saveProblem(), rescue()};
        m_asking = true;
        const bool quitAnyway = !m_presenter || m_presenter(question) == Choice::QuitAnyway;
        m_asking = false;
        // A write that landed while the question was open settles it.
        if (!m_store.isDirty())
            return true;
        if (quitAnyway) {
            rescue(); // the library may have changed while the question was open
            logLoss(QStringLiteral("quit anyway"));
            m_settled = true;
            return true;
        }
    }
}

bool UnsavedChangesGuard::writeBeforeSignalQuit() {
    m_store.quit(DataFileSync::quitWaitMs);
    if (!m_store.isDirty())
        return true;
    rescue();
    logLoss(QStringLiteral("quit by a signal"));
    m_settled = true;
    return false;
}

void UnsavedChangesGuard::writeAtExit() {
    // A quit that already waited for the folder and kept a rescue copy does
    // not wait a second time; what lands by now is still written.
    if (m_settled) {
        m_store.quit(0);
        return;
    }
    // An end that no quit came before (the session's): the same bounded wait,
    // then the same copy.
    m_store.quit(DataFileSync::quitWaitMs);
    if (!m_store.isDirty())
        return;
    rescue();
    logLoss(QStringLiteral("the program ended"));
    m_settled = true;
}

QString UnsavedChangesGuard::rescue() {
    const FileOutcome written = m_store.keepRescueCopy();
    m_rescueFile = written.done() ? written.path : QString();
    m_rescueError = written.done() ? FileError{} : FileError{written.path, written.error};
    return m_rescueFile;
}

void UnsavedChangesGuard::logLoss(const QString& how) const {
    const QString kept = m_rescueFile.isEmpty()
        ? QStringLiteral("no rescue copy could be written (%1)").arg(m_rescueError.text())
        : QStringLiteral("the unsaved library is kept in %1").arg(m_rescueFile);
    Log::writeError(QStringLiteral("%1 with changes that were not written (%2): %3; %4")
                        .arg(how, m_store.saveProblem().text(), m_store.unsavedSummary(), kept));
}

} // namespace sorvel
