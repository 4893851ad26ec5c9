#pragma once

#include <QUuid>
#include <QWidget>

namespace sorvel {

class ProjectStore;

// Placeholder for the editable cue table of one project, which a later change
// provides; until then an opened list row shows this empty area.
class CueTable final : public QWidget {
    Q_OBJECT
public:
    CueTable(ProjectStore& store, const QUuid& projectID, bool showsFooter, QWidget* parent = nullptr);

    QSize sizeHint() const override;
};

} // namespace sorvel
