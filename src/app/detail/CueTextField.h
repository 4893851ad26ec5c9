#pragma once

#include <QLineEdit>

namespace sorvel {

// A bare text field of the detail: a cue row's number and title, the tape's
// name on its label. While it is not being typed in, a text wider than its
// column ends in an ellipsis instead of being clipped, and text of either
// direction starts at the column's leading edge: a title that starts in
// Arabic or Hebrew stays where the other titles are.
class CueTextField final : public QLineEdit {
    Q_OBJECT
public:
    CueTextField(const QFont& font, const QString& placeholder, Qt::Alignment alignment, QWidget* parent = nullptr);

    // The text as drawn while not being typed in.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void alignToColumn();
    QRect textRect() const;
    bool isCut() const;

    Qt::Alignment m_alignment;
};

} // namespace sorvel
