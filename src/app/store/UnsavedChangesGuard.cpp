#include "app/store/UnsavedChangesGuard.h"

#include "app/store/ProjectStore.h"
#include "core/Log.h"

namespace sorvel {

UnsavedChangesGuard::UnsavedChangesGuard(ProjectStore& store, Presenter presenter)
    : m_store(store), m_presenter(std::move(presenter)) {}

bool UnsavedChangesGuard::writeBeforeQuit() {
    if (m_asking)
        return false;
    for (;;) {
        m_store.flush();
        if (!m_store.isDirty())
            return true;
        m_asking = true;
        const bool quitAnyway = !m_presenter || m_presenter(m_store.saveProblem()) == Choice::QuitAnyway;
        m_asking = false;
        if (quitAnyway) {
            logLoss(QStringLiteral("quit anyway"));
            return true;
        }
    }
}

bool UnsavedChangesGuard::writeBeforeSignalQuit() {
    m_store.flush();
    if (!m_store.isDirty())
        return true;
    logLoss(QStringLiteral("quit by a signal"));
    return false;
}

void UnsavedChangesGuard::logLoss(const QString& how) const {
    Log::writeError(QStringLiteral("%1 with changes that were not written (%2): %3")
                        .arg(how, m_store.saveProblem(), m_store.unsavedSummary()));
}

} // namespace sorvel
