#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

namespace sorvel {

// One line of plain text, shortened in the middle when it does not fit.
class ElidedLabel final : public QWidget {
    Q_OBJECT
public:
    ElidedLabel(const QFont& font, const QColor& color, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    // The text as drawn at the current width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QColor m_color;
};

} // namespace sorvel
