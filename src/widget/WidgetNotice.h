#pragma once

#include <QTimer>
#include <QWidget>

namespace sorvel {

// A short line over a widget's face for a few seconds (the data folder was
// busy, nothing changed), in the widget's own look; clicks pass through it.
class WidgetNotice final : public QWidget {
    Q_OBJECT
public:
    static constexpr int shownMs = 4000;

    explicit WidgetNotice(QWidget* parent);

    // Shows `text` at the bottom of the parent, on top of its face, for shownMs.
    void showText(const QString& text);
    // What it shows; empty once it is gone.
    QString text() const { return isVisible() ? m_text : QString(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void place();

    QString m_text;
    QTimer m_hide;
};

} // namespace sorvel
