#pragma once

#include <QAbstractButton>

namespace sorvel {

// One tab of the panel's tab bar: its title and its count, dark on the accent
// colour when it is the current tab, else light on the raised surface.
class PanelTabButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit PanelTabButton(const QString& title, QWidget* parent = nullptr);

    QString countText() const { return m_count; }
    void setCountText(const QString& count);
    bool isCurrent() const { return m_current; }
    void setCurrent(bool current);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_count;
    bool m_current = false;
};

} // namespace sorvel
