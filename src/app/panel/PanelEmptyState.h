#pragma once

#include <QWidget>

namespace sorvel {

// Shown over an empty tape list: a faint, empty cassette window and a line
// saying what is missing.
class PanelEmptyState final : public QWidget {
    Q_OBJECT
public:
    explicit PanelEmptyState(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

} // namespace sorvel
