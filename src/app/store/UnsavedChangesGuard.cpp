#include "app/store/UnsavedChangesGuard.h"

#include "app/store/ProjectStore.h"
#include "core/Log.h"

#include <QMessageBox>
#include <QPushButton>

namespace sorvel {

UnsavedChangesGuard::UnsavedChangesGuard(ProjectStore& store, Presenter presenter)
    : m_store(store), m_presenter(std::move(presenter)) {}

UnsavedChangesGuard::Presenter UnsavedChangesGuard::messageBox(const std::function<QWidget*()>& parent) {
    return [parent](const QString& problem) {
        QMessageBox box(parent ? parent() : nullptr);
        box.setIcon(QMessageBox::Warning);
        box.setTextFormat(Qt::PlainText);
        box.setWindowTitle(QStringLiteral("Sorvel"));
        box.setText(QStringLiteral("有更改尚未保存"));
        box.setInformativeText(QStringLiteral("无法写入数据文件：") + problem
                               + QStringLiteral("\n现在退出，这些更改将会丢失。"));
        QPushButton* retry = box.addButton(QStringLiteral("重试"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("仍然退出"), QMessageBox::DestructiveRole);
        box.setDefaultButton(retry);
        box.exec();
        return box.clickedButton() == retry ? Choice::TryAgain : Choice::QuitAnyway;
    };
}

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
