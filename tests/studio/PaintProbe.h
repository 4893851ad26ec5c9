#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

#include <functional>

namespace sorvel::test {

// Renders a drawing into a fresh image so tests can read its pixels.
inline QImage renderImage(const QSize& size, const std::function<void(QPainter&)>& draw,
                          const QColor& background = Qt::black, qreal ratio = 1.0) {
    QImage image(QSize(qRound(size.width() * ratio), qRound(size.height() * ratio)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(background);
    QPainter painter(&image);
    draw(painter);
    return image;
}

// Whether two colours match channel by channel within `tolerance`.
inline bool sameColor(const QColor& a, const QColor& b, int tolerance = 6) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance && qAbs(a.alpha() - b.alpha()) <= tolerance;
}

inline QString describe(const QColor& color) {
    return color.name(QColor::HexArgb);
}

// The folder where tests leave pictures for a person to look at.
QString outputFolder(const QString& name);

} // namespace sorvel::test
