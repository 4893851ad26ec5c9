#pragma once

#include <QString>
#include <QWidget>

class QHBoxLayout;

namespace sorvel {

// One labelled row of the information section: the title at the leading
// edge, the content at the trailing edge, on a raised rounded plate.
class InfoRow final : public QWidget {
    Q_OBJECT
public:
    explicit InfoRow(const QString& title, QWidget* parent = nullptr);

    // Appends a widget to the content at the trailing edge.
    void addContent(QWidget* widget);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QHBoxLayout* m_row;
};

} // namespace sorvel
