#pragma once

#include <QAbstractButton>

namespace sorvel {

// A red "minus.circle.fill" that deletes without asking. It is drawn and
// takes clicks only while visible (its row is under the pointer); hidden,
// it keeps its place so the row does not reflow.
class DeleteButton final : public QAbstractButton {
    Q_OBJECT
public:
    DeleteButton(const QString& help, QWidget* parent = nullptr);

    bool isShown() const { return m_shown; }
    void setShown(bool shown);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    bool m_shown = false;
};

} // namespace sorvel
