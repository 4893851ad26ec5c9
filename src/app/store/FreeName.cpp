#include "app/store/FreeName.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBoundaryFinder>

#include <sys/stat.h>
#include <unistd.h>

namespace sorvel::FreeName {

namespace {

bool taken(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

qsizetype utf8Size(QStringView text) {
    return text.toUtf8().size();
}

// The name with the number of its n-th try (none for the first), fitted to a file name.
QString candidate(const Name& name, qint64 n) {
    const QString number = n > 1 ? QLatin1Char(' ') + QString::number(n) : QString();
    const QString tail = name.mark + number + name.extension;
    return startWithin(name.stem, maximumBytes - utf8Size(tail)) + tail;
}

bool regionalIndicatorAt(QStringView text, qsizetype at) {
    if (at < 0 || at + 1 >= text.size() || !text[at].isHighSurrogate() || !text[at + 1].isLowSurrogate())
        return false;
    const char32_t letter = QChar::surrogateToUcs4(text[at], text[at + 1]);
    return letter >= 0x1F1E6 && letter <= 0x1F1FF;
}

// Whether `at` lies between the two regional indicators of a flag, which the
// grapheme rules of this Qt still part.
bool partsAFlag(QStringView text, qsizetype at) {
    qsizetype before = 0;
    while (regionalIndicatorAt(text, at - 2 * (before + 1)))
        ++before;
    return before % 2 == 1 && regionalIndicatorAt(text, at);
}

} // namespace

QString startWithin(const QString& text, qsizetype bytes) {
    if (utf8Size(text) <= bytes)
        return text;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype fits = 0;
    qsizetype used = 0;
    for (qsizetype next = graphemes.toNextBoundary(); next > 0; next = graphemes.toNextBoundary()) {
        if (partsAFlag(text, next))
            continue;
        const qsizetype size = used + utf8Size(QStringView(text).mid(fits, next - fits));
        if (size > bytes)
            break;
        fits = next;
        used = size;
    }
    return text.left(fits);
}

QString path(const QString& folder, const Name& name) {
    QString wanted = folder + QLatin1Char('/') + candidate(name, 1);
    for (qint64 n = 2; taken(wanted); ++n)
        wanted = folder + QLatin1Char('/') + candidate(name, n);
    return wanted;
}

QString path(const QString& wanted) {
    const QFileInfo info(wanted);
    const QString name = info.fileName();
    // "Demo.take" splits into Demo + take; ".hidden" and "Tape." have no extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot > 0 && dot < name.size() - 1;
    return path(info.path(),
                Name{hasExtension ? name.left(dot) : name, QString(), hasExtension ? name.mid(dot) : QString()});
}

} // namespace sorvel::FreeName
