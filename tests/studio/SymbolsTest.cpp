#include "PaintProbe.h"

#include "studio/Symbols.h"
#include "studio/SymbolTable.h"

#include "core/ProjectType.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QIcon>
#include <QSet>

namespace sorvel {
namespace {

QImage symbolImage(const QString& name, const QColor& color = Qt::white, qreal side = 24, qreal ratio = 1) {
    return Symbols::pixmap(name, side, color, ratio).toImage();
}

TEST(Symbols, EveryTableEntryHasItsDrawingPacked) {
    for (const SymbolEntry& entry : SymbolTable::entries()) {
        const QString path = QStringLiteral(":/sorvel/icons/%1.svg").arg(QLatin1String(entry.icon));
        // Symbols registers the resources on first use.
        Symbols::pixmap(QString::fromLatin1(entry.symbol), 8, Qt::white, 1);
        EXPECT_TRUE(QFile::exists(path)) << entry.symbol << " -> " << entry.icon;
        EXPECT_NE(symbolImage(QString::fromLatin1(entry.symbol)), symbolImage(QStringLiteral("no.such.symbol")))
            << entry.symbol << " draws the fallback";
    }
    EXPECT_TRUE(
        QFile::exists(QStringLiteral(":/sorvel/icons/%1.svg").arg(QLatin1String(SymbolTable::fallback().icon))));
}

TEST(Symbols, TableCoversEverySymbolTheProgramShows) {
    QStringList used = SymbolTable::pickerSymbols();
    EXPECT_EQ(used.size(), 42);
    EXPECT_EQ(QSet<QString>(used.begin(), used.end()).size(), 42);
    used << QStringLiteral("star.fill") << QStringLiteral("circle.dashed") << QStringLiteral("pencil")
         << QStringLiteral("arrow.triangle.2.circlepath") << QStringLiteral("slider.vertical.3")
         << QStringLiteral("checkmark") << QStringLiteral("circle.lefthalf.filled")
         << QStringLiteral("checkmark.circle") << QStringLiteral("checkmark.circle.fill")
         << QStringLiteral("checkmark.seal.fill") << QStringLiteral("archivebox") << QStringLiteral("archivebox.fill")
         << QStringLiteral("calendar") << QStringLiteral("slider.horizontal.3") << QStringLiteral("plus")
         << QStringLiteral("minus") << QStringLiteral("gearshape") << QStringLiteral("paintpalette")
         << QStringLiteral("recordingtape") << QStringLiteral("list.bullet") << QStringLiteral("flag.fill")
         << QStringLiteral("chevron.left") << QStringLiteral("chevron.right") << QStringLiteral("chevron.up")
         << QStringLiteral("chevron.down") << QStringLiteral("exclamationmark.triangle") << QStringLiteral("xmark")
         << QStringLiteral("pin") << QStringLiteral("pin.fill") << QStringLiteral("macwindow")
         << QStringLiteral("line.3.horizontal") << QStringLiteral("minus.circle.fill")
         << QStringLiteral("arrow.down.right.and.arrow.up.left")
         << QStringLiteral("arrow.up.left.and.arrow.down.right");
    for (const ProjectType& kind : ProjectType::defaults())
        used << kind.symbol;
    used << ProjectType::fallback().symbol;
    for (const QString& name : used)
        EXPECT_TRUE(Symbols::isKnown(name)) << name.toStdString();
    // Exact names only.
    EXPECT_FALSE(Symbols::isKnown(QStringLiteral("Tag")));
    EXPECT_FALSE(Symbols::isKnown(QStringLiteral(" tag")));
}

TEST(Symbols, PickerOrderPutsTheBuiltInSymbolsInTheirCells) {
    const QStringList& picker = SymbolTable::pickerSymbols();
    ASSERT_EQ(picker.size(), 42);
    // Six to a row: tag is row 7, column 4; the new-type symbol and the built-in ones are all offered.
    EXPECT_EQ(picker.indexOf(QStringLiteral("tag")), 39);
    EXPECT_EQ(picker.indexOf(QStringLiteral("music.note")), 0);
    EXPECT_EQ(picker.indexOf(QStringLiteral("waveform")), 6);
    EXPECT_EQ(picker.indexOf(QStringLiteral("mic")), 12);
    EXPECT_EQ(picker.indexOf(QStringLiteral("wind")), 16);
    EXPECT_EQ(picker.indexOf(QStringLiteral("figure.walk")), 28);
    EXPECT_EQ(picker.indexOf(QStringLiteral("square.stack")), 41);
    for (const ProjectType& kind : ProjectType::defaults())
        EXPECT_TRUE(picker.contains(kind.symbol)) << kind.symbol.toStdString();
}

TEST(Symbols, NamesNeverBecomePaths) {
    test::TestEnvironment environment;
    // A drawing that would fill the whole square if it were ever loaded.
    const QString bait = environment.scratch() + QStringLiteral("/bait");
    test::writeFile(bait + QStringLiteral(".svg"),
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 24 24\">"
                    "<rect width=\"24\" height=\"24\" fill=\"currentColor\"/></svg>");
    const QImage fallback = symbolImage(QStringLiteral("no.such.symbol"));
    for (const QString& name : {bait, bait + QStringLiteral(".svg"), QStringLiteral(":/sorvel/icons/star"),
                                QStringLiteral("../icons/star"), QStringLiteral("star.svg"),
                                QStringLiteral("eighth-note"), QStringLiteral("circle-help/../star"), QString()}) {
        EXPECT_EQ(symbolImage(name), fallback) << name.toStdString();
    }
    // The fallback is a real drawing, not an empty square.
    bool inked = false;
    for (int y = 0; y < fallback.height() && !inked; ++y)
        for (int x = 0; x < fallback.width() && !inked; ++x)
            inked = qAlpha(fallback.pixel(x, y)) > 128;
    EXPECT_TRUE(inked);
}

TEST(Symbols, TintsToTheAskedColourAndRendersAtTheDeviceRatio) {
    const QColor green(0x34, 0xC7, 0x59);
    const QPixmap sharp = Symbols::pixmap(QStringLiteral("star.fill"), 20, green, 2);
    EXPECT_EQ(sharp.size(), QSize(40, 40));
    EXPECT_DOUBLE_EQ(sharp.devicePixelRatio(), 2.0);
    // A filled star is solid in the middle, in exactly the asked colour.
    const QColor centre = sharp.toImage().pixelColor(20, 22);
    EXPECT_TRUE(test::sameColor(centre, green, 2)) << test::describe(centre).toStdString();
    // The outline star is hollow there.
    const QColor hollow = Symbols::pixmap(QStringLiteral("star"), 20, green, 2).toImage().pixelColor(20, 22);
    EXPECT_LT(hollow.alpha(), 40);
    // Translucent colours keep their alpha.
    const QColor faded =
        Symbols::pixmap(QStringLiteral("star.fill"), 20, QColor(255, 255, 255, 100), 1).toImage().pixelColor(10, 11);
    EXPECT_NEAR(faded.alpha(), 100, 3);
}

TEST(Symbols, KnockoutCutsTheMarkOutOfTheDisc) {
    const QImage disc = symbolImage(QStringLiteral("checkmark.circle.fill"), Qt::white, 48);
    const QImage ring = symbolImage(QStringLiteral("checkmark.circle"), Qt::white, 48);
    // Between the check and the rim the filled disc is solid, the outline is empty.
    EXPECT_GT(qAlpha(disc.pixel(24, 12)), 200);
    EXPECT_LT(qAlpha(ring.pixel(24, 12)), 40);
    // The check itself is cut out of the disc.
    EXPECT_LT(qAlpha(disc.pixel(22, 28)), 60);
}

TEST(Symbols, CachesByNameSizeColourAndRatio) {
    Symbols::clearCache();
    Symbols::pixmap(QStringLiteral("tag"), 16, Qt::white, 1);
    Symbols::pixmap(QStringLiteral("tag"), 16, Qt::white, 1);
    EXPECT_EQ(Symbols::cachedCount(), 1);
    Symbols::pixmap(QStringLiteral("tag"), 16, Qt::red, 1);
    Symbols::pixmap(QStringLiteral("tag"), 16, Qt::white, 2);
    Symbols::pixmap(QStringLiteral("tag"), 17, Qt::white, 1);
    EXPECT_EQ(Symbols::cachedCount(), 4);
    // Degenerate sizes give nothing rather than a failure.
    EXPECT_TRUE(Symbols::pixmap(QStringLiteral("tag"), 0, Qt::white, 1).isNull());
    EXPECT_TRUE(Symbols::pixmap(QStringLiteral("tag"), -3, Qt::white, 1).isNull());
    EXPECT_TRUE(Symbols::pixmap(QStringLiteral("tag"), std::nan(""), Qt::white, 1).isNull());
}

TEST(Symbols, IconsRenderOnDemandAndShipTheLicence) {
    const QIcon icon = Symbols::icon(QStringLiteral("gearshape"), Qt::white);
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(QSize(32, 32)).size(), QSize(32, 32));
    const QImage normal = icon.pixmap(QSize(32, 32)).toImage();
    const QImage disabled = icon.pixmap(QSize(32, 32), QIcon::Disabled).toImage();
    EXPECT_NE(normal, disabled);
    EXPECT_TRUE(Symbols::licenseText().contains(QStringLiteral("ISC License")));
}

} // namespace
} // namespace sorvel
