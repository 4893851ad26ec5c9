#pragma once

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

} // namespace sorvel::SheetChrome
