#include "app/shell/UnsavedChangesQuestion.h"

#include "app/store/SaveProblemText.h"

#include <QMessageBox>
#include <QPushButton>

namespace sorvel::UnsavedChangesQuestion {

UnsavedChangesGuard::Presenter messageBox(const std::function<QWidget*()>& parent) {
    using Choice = UnsavedChangesGuard::Choice;
    return [parent](const QString& problem) {
        QMessageBox box(parent ? parent() : nullptr);
        box.setIcon(QMessageBox::Warning);
        box.setTextFormat(Qt::PlainText);
        box.setWindowTitle(QStringLiteral("Sorvel"));
        box.setText(QStringLiteral("有更改尚未保存"));
        box.setInformativeText(QStringLiteral("无法写入数据文件：") + SaveProblemText::forUser(problem)
                               + QStringLiteral("\n现在退出，这些更改将会丢失。"));
        QPushButton* retry = box.addButton(QStringLiteral("重试"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("仍然退出"), QMessageBox::DestructiveRole);
        box.setDefaultButton(retry);
        box.exec();
        return box.clickedButton() == retry ? Choice::TryAgain : Choice::QuitAnyway;
    };
}

} // namespace sorvel::UnsavedChangesQuestion
