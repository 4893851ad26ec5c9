#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QMargins>

namespace sorvel {

// A small selectable chip: its title on a rounded fill. The owner sets the
// colours of the selected and the idle look; a fill without a valid colour
// takes the window's accent tint. Tab reaches it, Space, Return or Enter
// press it, and the arrows go on to the chips of its group.
class DetailChip final : public QAbstractButton {
    Q_OBJECT
public:
    struct Look {
        QColor text;
        QColor fill; // invalid: the window's tint
    };

    DetailChip(const QString& title, const QFont& font, QMargins padding, qreal radius, Look selectedLook,
               Look idleLook, QWidget* parent = nullptr);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QMargins m_padding;
    qreal m_radius;
    Look m_selectedLook;
    Look m_idleLook;
    bool m_selected = false;
};

} // namespace sorvel
