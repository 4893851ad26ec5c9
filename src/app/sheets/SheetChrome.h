#pragma once

#include <QList>

class QDialog;
class QPushButton;
class QWidget;

namespace sorvel::SheetChrome {

// Dark, window-modal look of the library window's sheets, in the parent window's tint.
void apply(QDialog* sheet);

// Paints the sheet's own background, whatever palette or style sheet the presenter sets.
void paintBackground(QWidget* sheet);

// Return presses `main` and nothing else: every other push button of the sheet loses
// its auto-default role, so a focused "取消" can never become the default.
void setMainButton(QDialog* sheet, QPushButton* main);

// Stacks `parts` without spacing in a column of fixed `width`; the sheet's height
// follows its content. Then makes `main` the only button that Return presses.
void setContent(QDialog* sheet, int width, const QList<QWidget*>& parts, QPushButton* main);

} // namespace sorvel::SheetChrome
