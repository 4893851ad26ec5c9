#pragma once

#include "widget/FittedText.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace sorvel {

// A short sentence over a widget's face for a few seconds (a tap changed
// nothing, and why), on one line or two, in the widget's own look; clicks
// pass through it.
class WidgetNotice final : public QWidget {
    Q_OBJECT
public:
    static constexpr int shownMs = 4000;

    explicit WidgetNotice(QWidget* parent);

    // Shows `text` at the bottom of the parent, on top of its face, for shownMs.
    void showText(const QString& text);
    // What it shows; empty once it is gone.
    QString text() const { return isVisible() ? m_text : QString(); }
    // The lines it shows the text on, as wide as it is; none once it is gone.
    QStringList lines() const { return isVisible() ? m_shown.lines : QStringList(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void place();

    QString m_text;
    FittedText m_shown;
    QTimer m_hide;
};

} // namespace sorvel
