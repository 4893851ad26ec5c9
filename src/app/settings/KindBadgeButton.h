#pragma once

#include "core/ProjectType.h"

#include <QAbstractButton>

namespace sorvel {

// A project type's badge that can be clicked.
class KindBadgeButton final : public QAbstractButton {
    Q_OBJECT
public:
    KindBadgeButton(const ProjectType& kind, int size, QWidget* parent = nullptr);

    const ProjectType& kind() const { return m_kind; }
    void setKind(const ProjectType& kind);
    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ProjectType m_kind;
    int m_size;
};

} // namespace sorvel
