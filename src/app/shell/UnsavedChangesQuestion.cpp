#include "app/shell/UnsavedChangesQuestion.h"

#include "app/store/ProjectStore.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace sorvel::UnsavedChangesQuestion {

UnsavedChangesGuard::Presenter messageBox(ProjectStore& store, const std::function<QWidget*()>& parent) {
    using Choice = UnsavedChangesGuard::Choice;
    return [&store, parent](const UnsavedChangesGuard::Question& question) {
        QMessageBox box(parent ? parent() : nullptr);
        box.setIcon(QMessageBox::Warning);
        box.setTextFormat(Qt::PlainText);
        box.setWindowTitle(QStringLiteral("Sorvel"));
        box.setText(QStringLiteral("有更改尚未保存"));
        box.setInformativeText(UnsavedChangesGuard::details(question));
        QPushButton* retry = box.addButton(QStringLiteral("重试"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("仍然退出"), QMessageBox::DestructiveRole);
        box.setDefaultButton(retry);
        // The background retry may write the changes while the question is
        // open: then there is nothing left to answer.
        QPointer<QMessageBox> open(&box);
        const QMetaObject::Connection written =
            QObject::connect(&store, &ProjectStore::saveFinished, &box, [&store, open](bool succeeded) {
                if (succeeded && !store.isDirty() && open)
                    open->done(QDialog::Accepted);
            });
        box.exec();
        QObject::disconnect(written);
        return box.clickedButton() == retry || !store.isDirty() ? Choice::TryAgain : Choice::QuitAnyway;
    };
}

} // namespace sorvel::UnsavedChangesQuestion
