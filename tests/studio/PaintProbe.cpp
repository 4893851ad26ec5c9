#include "PaintProbe.h"

#include <QDir>

namespace sorvel::test {

QString outputFolder(const QString& name) {
    const QString path = QStringLiteral(SORVEL_TEST_OUTPUT) + QLatin1Char('/') + name;
    QDir().mkpath(path);
    return path;
}

} // namespace sorvel::test
