#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

namespace sorvel {

// One line of plain text that gives way to its neighbours by eliding: a long
// title never pushes the controls beside it out of the row.
class ElidedLine final : public QWidget {
    Q_OBJECT
public:
    enum class Elide {
        // A title: shortened at its end, drawn from the left.
        End,
        // A path, whose start and end both tell which one it is: shortened in
        // the middle, drawn against the right edge, kept on one line, and the
        // whole text is the help.
        Middle,
    };

    ElidedLine(const QFont& font, const QColor& color, QWidget* parent = nullptr);
    ElidedLine(Elide elide, const QFont& font, const QColor& color, QWidget* parent = nullptr);

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
    Elide m_elide;
    QString m_text;
    QColor m_color;
};

} // namespace sorvel
