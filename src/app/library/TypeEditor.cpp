#include "app/library/TypeEditor.h"

namespace sorvel {

TypeEditor::TypeEditor(ProjectStore&, QWidget* parent) : QWidget(parent) {}

} // namespace sorvel
