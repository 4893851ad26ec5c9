#pragma once

#include <QAbstractButton>

namespace sorvel {

// The small square buttons of the panel header: a symbol on a raised 26-point
// tile, in the accent colour while `active`, else in the secondary text colour.
class PanelIconButton final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int side = 26;

    PanelIconButton(const QString& symbol, const QString& help, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    bool isActive() const { return m_active; }
    void setActive(bool active);
    QColor symbolColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    bool m_active = false;
};

} // namespace sorvel
