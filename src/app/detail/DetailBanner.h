#pragma once

#include "core/AudioProject.h"

#include <QUuid>
#include <QWidget>

namespace sorvel {

class AppRouter;
class ProjectStore;
class StudioButton;

// The one-line notice under the label card, for the first case that applies:
// archived ("恢复"), done and waiting for the archive ("归档…"), or every cue
// delivered in automatic mode ("标记完成"). Hidden when none applies.
class DetailBanner final : public QWidget {
    Q_OBJECT
public:
    enum class Case { None, Archived, Done, AllDelivered };

    DetailBanner(const QUuid& projectID, ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

    static Case caseFor(const AudioProject& project);

    void refresh(const AudioProject& project);

    Case currentCase() const { return m_case; }
    QString text() const { return m_text; }
    QString symbol() const { return m_symbol; }
    StudioButton* button() const { return m_button; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void act();

    QUuid m_projectID;
    ProjectStore& m_store;
    AppRouter& m_router;
    Case m_case = Case::None;
    QString m_text;
    QString m_symbol;
    StudioButton* m_button;
};

} // namespace sorvel
