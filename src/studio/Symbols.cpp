#include "studio/Symbols.h"

#include "studio/SymbolTable.h"

#include <QCache>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>

// Resources of a static library must be registered by hand, outside any namespace.
static void registerIconResources() {
    Q_INIT_RESOURCE(sorvel_icons);
}

namespace sorvel::Symbols {

namespace {

const QString resourceFolder = QStringLiteral(":/sorvel/icons/");

void ensureResources() {
    static const bool done = [] {
        registerIconResources();
        return true;
    }();
    Q_UNUSED(done);
}

// One parsed drawing: the root's attributes and its child elements.
struct SvgNode {
    QString name;
    QXmlStreamAttributes attributes;
    QList<SvgNode> children;
};

SvgNode readNode(QXmlStreamReader& reader) {
    SvgNode node{reader.name().toString(), reader.attributes(), {}};
    while (reader.readNextStartElement())
        node.children.append(readNode(reader));
    return node;
}

std::optional<SvgNode> parseDrawing(const QByteArray& bytes) {
    QXmlStreamReader reader(bytes);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("svg"))
        return std::nullopt;
    SvgNode root = readNode(reader);
    if (reader.hasError())
        return std::nullopt;
    return root;
}

// The drawing of an icon name from the table; the name comes from the table only.
const SvgNode* drawing(const char* icon) {
    static QHash<QString, std::optional<SvgNode>> loaded;
    const QString name = QString::fromLatin1(icon);
    auto it = loaded.find(name);
    if (it == loaded.end()) {
        ensureResources();
        QFile file(resourceFolder + name + QStringLiteral(".svg"));
        std::optional<SvgNode> parsed;
        if (file.open(QIODevice::ReadOnly))
            parsed = parseDrawing(file.readAll());
        it = loaded.insert(name, parsed);
    }
    return it->has_value() ? &it->value() : nullptr;
}

qreal strokeWidth(Studio::Weight weight) {
    switch (weight) {
    case Studio::Weight::Regular: return 2.0;
    case Studio::Weight::Medium: return 2.2;
    case Studio::Weight::Semibold: return 2.4;
    case Studio::Weight::Bold: return 2.7;
    case Studio::Weight::Heavy: return 3.1;
    }
    return 2.0;
}

// Ink is drawn black and coloured afterwards, so any colour (and alpha) works.
QXmlStreamAttributes inked(const QXmlStreamAttributes& source, bool filled, qreal width) {
    QXmlStreamAttributes result;
    for (const auto& attribute : source) {
        const QString name = attribute.qualifiedName().toString();
        QString value = attribute.value().toString();
        if (name == QLatin1String("class"))
            continue;
        if (value == QLatin1String("currentColor"))
            value = QStringLiteral("#000");
        if (name == QLatin1String("stroke-width"))
            value = QString::number(width);
        if (name == QLatin1String("fill") && filled)
            value = QStringLiteral("#000");
        result.append(name, value);
    }
    return result;
}

void writeNode(QXmlStreamWriter& writer, const SvgNode& node, bool filled, qreal width) {
    writer.writeStartElement(node.name);
    writer.writeAttributes(inked(node.attributes, filled, width));
    for (const auto& child : node.children)
        writeNode(writer, child, filled, width);
    writer.writeEndElement();
}

// The drawing with the children in [first, last) only.
QByteArray variant(const SvgNode& root, qsizetype first, qsizetype last, bool filled, qreal width) {
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("svg"));
    writer.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2000/svg"));
    QXmlStreamAttributes attributes;
    for (const auto& attribute : inked(root.attributes, filled, width)) {
        if (attribute.qualifiedName() != QLatin1String("xmlns"))
            attributes.append(attribute);
    }
    writer.writeAttributes(attributes);
    for (qsizetype i = first; i < last && i < root.children.size(); ++i)
        writeNode(writer, root.children.at(i), filled, width);
    writer.writeEndElement();
    writer.writeEndDocument();
    return bytes;
}

void render(QImage& image, const QByteArray& svg, QPainter::CompositionMode mode) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(mode);
    renderer.render(&painter, QRectF(0, 0, image.width(), image.height()));
}

QImage renderMask(const SymbolEntry& entry, int pixels, Studio::Weight weight) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const SvgNode* root = drawing(entry.icon);
    if (!root && &entry != &SymbolTable::fallback())
        root = drawing(SymbolTable::fallback().icon);
    if (!root)
        return image;
    const qreal width = strokeWidth(weight);
    const qsizetype count = root->children.size();
    switch (entry.fill) {
    case SymbolFill::Outline:
        render(image, variant(*root, 0, count, false, width), QPainter::CompositionMode_SourceOver);
        break;
    case SymbolFill::Solid:
        render(image, variant(*root, 0, count, true, width), QPainter::CompositionMode_SourceOver);
        break;
    case SymbolFill::Knockout:
        render(image, variant(*root, 0, count - 1, true, width), QPainter::CompositionMode_SourceOver);
        render(image, variant(*root, count - 1, count, false, width), QPainter::CompositionMode_DestinationOut);
        break;
    }
    return image;
}

QCache<QString, QPixmap>& cache() {
    static QCache<QString, QPixmap> pixmaps(24 * 1024 * 1024);
    return pixmaps;
}

class SymbolIconEngine final : public QIconEngine {
public:
    SymbolIconEngine(QString symbol, QColor color, Studio::Weight weight)
        : m_symbol(std::move(symbol)), m_color(std::move(color)), m_weight(weight) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        Symbols::paint(*painter, rect, m_symbol, colorFor(mode), m_weight);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        const qreal side = qMin(size.width(), size.height());
        return Symbols::pixmap(m_symbol, side, colorFor(mode), scale > 0 ? scale : 1.0, m_weight);
    }
    QIconEngine* clone() const override { return new SymbolIconEngine(m_symbol, m_color, m_weight); }
    QString key() const override { return QStringLiteral("sorvel-symbol"); }

private:
    QColor colorFor(QIcon::Mode mode) const { return mode == QIcon::Disabled ? Studio::faded(m_color, 0.4) : m_color; }

    QString m_symbol;
    QColor m_color;
    Studio::Weight m_weight;
};

} // namespace

bool isKnown(const QString& symbol) {
    return SymbolTable::find(symbol) != nullptr;
}

qreal sideForFontSize(qreal pixelSize) {
    return pixelSize * 1.25;
}

QPixmap pixmap(const QString& symbol, qreal side, const QColor& color, qreal devicePixelRatio, Studio::Weight weight) {
    if (!std::isfinite(side) || side <= 0 || !std::isfinite(devicePixelRatio) || devicePixelRatio <= 0)
        return {};
    const int pixels = qBound(1, int(std::ceil(side * devicePixelRatio)), 2048);
    const SymbolEntry* entry = SymbolTable::find(symbol);
    const SymbolEntry& chosen = entry ? *entry : SymbolTable::fallback();
    const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                            .arg(QLatin1String(chosen.icon))
                            .arg(int(chosen.fill))
                            .arg(pixels)
                            .arg(color.rgba(), 8, 16)
                            .arg(int(weight));
    if (const QPixmap* cached = cache().object(key)) {
        QPixmap result = *cached;
        result.setDevicePixelRatio(devicePixelRatio);
        return result;
    }
    QImage image = renderMask(chosen, pixels, weight);
    {
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    QPixmap result = QPixmap::fromImage(std::move(image));
    cache().insert(key, new QPixmap(result), pixels * pixels * 4);
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

void paint(QPainter& painter, const QRectF& box, const QString& symbol, const QColor& color, Studio::Weight weight) {
    const qreal side = qMin(box.width(), box.height());
    if (!(side > 0))
        return;
    qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal scale = std::sqrt(std::abs(painter.worldTransform().determinant()));
    if (std::isfinite(scale) && scale > 0)
        ratio *= scale;
    const QPixmap image = pixmap(symbol, side, color, ratio, weight);
    if (image.isNull())
        return;
    const QRectF target(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, image, QRectF(image.rect()));
    painter.restore();
}

void paintForFont(QPainter& painter, const QPointF& centre, qreal pixelSize, const QString& symbol, const QColor& color,
                  Studio::Weight weight) {
    const qreal side = sideForFontSize(pixelSize);
    paint(painter, QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side), symbol, color, weight);
}

QIcon icon(const QString& symbol, const QColor& color, Studio::Weight weight) {
    return QIcon(new SymbolIconEngine(symbol, color, weight));
}

QString licenseText() {
    ensureResources();
    QFile file(resourceFolder + QStringLiteral("LICENSE"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void clearCache() {
    cache().clear();
}

int cachedCount() {
    return int(cache().count());
}

} // namespace sorvel::Symbols
