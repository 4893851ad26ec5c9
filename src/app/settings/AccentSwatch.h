#pragma once

#include <QAbstractButton>
#include <QString>

#include <optional>

namespace sorvel {

// A round accent swatch of 16 points with a ring when selected; without a
// hex it stands for the default accent and carries the mark "默".
class AccentSwatch final : public QAbstractButton {
    Q_OBJECT
public:
    AccentSwatch(const std::optional<QString>& hex, QWidget* parent = nullptr);

    const std::optional<QString>& hex() const { return m_hex; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    QSize sizeHint() const override { return {20, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QString> m_hex;
    bool m_selected = false;
};

} // namespace sorvel
