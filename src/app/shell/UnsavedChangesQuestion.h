#pragma once

#include "app/store/UnsavedChangesGuard.h"

#include <functional>

class QWidget;

namespace sorvel::UnsavedChangesQuestion {

// The guard's question as a message box over `parent` (may be null).
UnsavedChangesGuard::Presenter messageBox(const std::function<QWidget*()>& parent);

} // namespace sorvel::UnsavedChangesQuestion
