#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

namespace sorvel {

// One line of plain text that gives way to its neighbours by eliding at the
// end: a long title never pushes the controls beside it out of the row.
class ElidedLine final : public QWidget {
    Q_OBJECT
public:
    ElidedLine(const QFont& font, const QColor& color, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    // The text as drawn at the current width.
    QString shownText() const;
    // The help shown on hover: the whole text while it is cut, else nothing.
    QString help() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QColor m_color;
};

} // namespace sorvel
