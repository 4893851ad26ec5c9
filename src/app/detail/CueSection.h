#pragma once

#include "core/AudioProject.h"

#include <QUuid>
#include <QWidget>

namespace sorvel {

class CueTable;
class ProjectStore;
class SectionTitle;

// The project's cue table with its footer, under a title that sums the cues up.
class CueSection final : public QWidget {
    Q_OBJECT
public:
    CueSection(const QUuid& projectID, ProjectStore& store, QWidget* parent = nullptr);

    // The title's trailing text: the cue summary, none without cues.
    static std::optional<QString> summary(const AudioProject& project);

    void refresh(const AudioProject& project);

    SectionTitle* title() const { return m_title; }
    CueTable* table() const { return m_table; }

private:
    SectionTitle* m_title;
    CueTable* m_table;
};

} // namespace sorvel
