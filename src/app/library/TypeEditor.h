#pragma once

#include <QWidget>

namespace sorvel {

class ProjectStore;

// Placeholder for the editor of project types, which a later change provides;
// until then the type editor sheet shows this empty area above its "完成" bar.
class TypeEditor final : public QWidget {
    Q_OBJECT
public:
    explicit TypeEditor(ProjectStore& store, QWidget* parent = nullptr);
};

} // namespace sorvel
