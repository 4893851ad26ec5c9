#include "app/store/UnsavedChangesGuard.h"

#include "app/store/ProjectStore.h"
#include "app/store/RescueCopy.h"
#include "app/store/SaveProblemText.h"
#include "core/Clock.h"
#include "core/Log.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace sorvel {

UnsavedChangesGuard::UnsavedChangesGuard(ProjectStore& store, Presenter presenter)
    : m_store(store), m_presenter(std::move(presenter)) {}

QString UnsavedChangesGuard::details(const Question& question) {
    QString text = QStringLiteral("无法写入数据文件：") + SaveProblemText::forUser(question.problem);
    if (question.rescueFile.isEmpty())
        return text + QStringLiteral("\n现在退出，这些更改将会丢失。");
    return text + QStringLiteral("\n未保存的更改已另存到：") + question.rescueFile
           + QStringLiteral("\n现在退出，这些更改不会写入数据文件，Sorvel 也不会自动读回上面的文件。");
}

UnsavedChangesGuard::Presenter UnsavedChangesGuard::messageBox(ProjectStore& store,
                                                               const std::function<QWidget*()>& parent) {
    return [&store, parent](const Question& question) {
        QMessageBox box(parent ? parent() : nullptr);
        box.setIcon(QMessageBox::Warning);
        box.setTextFormat(Qt::PlainText);
        box.setWindowTitle(QStringLiteral("Sorvel"));
        box.setText(QStringLiteral("有更改尚未保存"));
        box.setInformativeText(details(question));
        QPushButton* retry = box.addButton(QStringLiteral("重试"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("仍然退出"), QMessageBox::DestructiveRole);
        box.setDefaultButton(retry);
        // The background retry may write the changes while the question is
        // open: then there is nothing left to answer.
        QPointer<QMessageBox> open(&box);
        const QMetaObject::Connection written = QObject::connect(&store, &ProjectStore::saveFinished, &box,
                                                                 [&store, open](bool succeeded) {
                                                                     if (succeeded && !store.isDirty() && open)
                                                                         open->done(QDialog::Accepted);
                                                                 });
        box.exec();
        QObject::disconnect(written);
        return box.clickedButton() == retry || !store.isDirty() ? Choice::TryAgain : Choice::QuitAnyway;
    };
}

bool UnsavedChangesGuard::writeBeforeQuit() {
    if (m_asking)
        return false;
    for (;;) {
        m_store.flush();
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
            rescue();  // the library may have changed while the question was open
            logLoss(QStringLiteral("quit anyway"));
            return true;
        }
    }
}

bool UnsavedChangesGuard::writeBeforeSignalQuit() {
    m_store.flush();
    if (!m_store.isDirty())
        return true;
    rescue();
    logLoss(QStringLiteral("quit by a signal"));
    return false;
}

QString UnsavedChangesGuard::rescue() {
    const Library unsaved = m_store.currentLibrary();
    if (!m_rescueFile.isEmpty() && unsaved == m_rescued)
        return m_rescueFile;
    const RescueCopy::Outcome written = RescueCopy::write(unsaved, Clock::now().toLocalTime());
    m_rescued = unsaved;
    m_rescueFile = written.path;
    m_rescueError = written.error;
    return m_rescueFile;
}

void UnsavedChangesGuard::logLoss(const QString& how) const {
    const QString kept = m_rescueFile.isEmpty()
                             ? QStringLiteral("no rescue copy could be written (%1)").arg(m_rescueError)
                             : QStringLiteral("the unsaved library is kept in %1").arg(m_rescueFile);
    Log::writeError(QStringLiteral("%1 with changes that were not written (%2): %3; %4")
                        .arg(how, m_store.saveProblem(), m_store.unsavedSummary(), kept));
}

} // namespace sorvel
