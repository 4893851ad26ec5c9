#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <optional>

class QPainter;

namespace sorvel {

// The header of a detail section: a short tracked tag in the accent colour,
// the title, and optionally a text at the trailing edge, on one baseline.
class SectionTitle final : public QWidget {
    Q_OBJECT
public:
    SectionTitle(const QString& title, const QString& tag, const std::optional<QString>& trailing = std::nullopt,
                 QWidget* parent = nullptr);

    static void paint(QPainter& painter, const QRectF& rect, const QString& title, const QString& tag,
                      const std::optional<QString>& trailing, const QColor& tint);
    static qreal naturalHeight();

    void setTrailing(const std::optional<QString>& trailing);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
    QString m_tag;
    std::optional<QString> m_trailing;
};

} // namespace sorvel
