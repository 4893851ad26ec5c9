#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"

#include <QColor>
#include <QRectF>
#include <QWidget>

class QPainter;

namespace sorvel {

class ReelSpin;
class TypeRegistry;

// One project as a cassette tape: a cream label (type strip with focus star
// and status, name, summary and deadline), the tape window with the progress
// and its percentage, and a next-step line with a short English tag, on a
// dark body with four screws and a border that marks selection and focus.
// The card only displays; clicks, hover tracking and menus are the caller's.
class CassetteCard final : public QWidget {
    Q_OBJECT
public:
    struct Look {
        bool selected = false;
        bool hovering = false;
        QColor tint; // the window's accent colour
        qreal hubAngle = 0; // reel rotation, for callers that turn the reels
    };

    enum class Tag { Late, Next, Archived, Done };
    struct NextStep {
        Tag tag;
        QString text;
        bool operator==(const NextStep&) const = default;
    };

    // A card that looks its project's type up in `types`, and repaints when they change.
    CassetteCard(const AudioProject& project, const TypeRegistry& types, QWidget* parent = nullptr);

    // Paints the card into `rect` (it takes the width it is given; its height
    // is naturalHeight()). `kind` is the project's resolved type.
    static void paint(QPainter& painter, const QRectF& rect, const AudioProject& project, const ProjectType& kind,
                      const Look& look);
    static qreal naturalHeight();

    static QString subtitle(const AudioProject& project);
    static NextStep nextStep(const AudioProject& project);
    static QString tagText(Tag tag); // "LATE", "NEXT", "ARCHIVED", "DONE"
    // The reels turn on hover, and only while the project is active.
    static bool reelsTurn(const AudioProject& project, bool hovering);

    const AudioProject& project() const { return m_project; }
    void setProject(const AudioProject& project);
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    bool isHovering() const { return m_hovering; }
    void setHovering(bool hovering);
    bool reelsSpinning() const;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateSpin();

    AudioProject m_project;
    const TypeRegistry& m_types;
    bool m_selected = false;
    bool m_hovering = false;
    ReelSpin* m_spin;
};

} // namespace sorvel
