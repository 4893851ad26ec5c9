#pragma once

#include "app/store/UnsavedChangesGuard.h"

#include <functional>

class QWidget;

namespace sorvel {

class ProjectStore;

namespace UnsavedChangesQuestion {

// The guard's question as a message box over `parent` (may be null). It closes
// by itself when a write of the store succeeds while it is open: the quit then
// goes on.
UnsavedChangesGuard::Presenter messageBox(ProjectStore& store, const std::function<QWidget*()>& parent);

} // namespace UnsavedChangesQuestion

} // namespace sorvel
