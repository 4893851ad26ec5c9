#pragma once

#include <QAbstractButton>
#include <QString>

namespace sorvel {

// A square button of the detail's top bar: a symbol on a raised rounded
// plate. "star.fill" is drawn in yellow (the focus mark), every other
// symbol in the secondary text colour.
class DetailIconButton final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int side = 26;

    DetailIconButton(const QString& symbol, const QString& help, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    // The tooltip text; also the button's accessible name.
    void setHelp(const QString& help);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
};

} // namespace sorvel
