#pragma once

#include "core/AudioProject.h"

#include <QList>
#include <QWidget>

namespace sorvel {

class TypeRegistry;

// Up to three cassette cards fanned out, the first at the back: each tilted by
// (i − 1) × 5 degrees and moved down by (i − 1) × 14 points, the whole fan at 0.85 scale.
class CassetteFan final : public QWidget {
    Q_OBJECT
public:
    static constexpr int maximumCards = 3;
    static constexpr qreal cardWidth = 230;
    static constexpr qreal scale = 0.85;
    static constexpr qreal bottomInset = 20;

    struct Placement {
        qreal rotation; // degrees, clockwise
        qreal offset; // points, downwards
    };
    static Placement placement(int position);

    explicit CassetteFan(const TypeRegistry& types, QWidget* parent = nullptr);

    // Keeps the first three projects, in the given order.
    void setProjects(const QList<AudioProject>& projects);
    const QList<AudioProject>& projects() const { return m_projects; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TypeRegistry& m_types;
    QList<AudioProject> m_projects;
};

} // namespace sorvel
