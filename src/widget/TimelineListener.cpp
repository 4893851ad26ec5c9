#include "widget/TimelineListener.h"

#include "core/WidgetChannel.h"

namespace sorvel {

namespace {
const QByteArray showPrefix = QByteArrayLiteral("show-families ");
const QByteArray accentedWord = QByteArrayLiteral("accented");

// The sizes named in a show message; none when the message is something else.
QList<WidgetFamily> familiesIn(const QByteArray& line) {
    QList<WidgetFamily> families;
    if (!line.startsWith(showPrefix) || !line.endsWith('\n'))
        return families;
    const QByteArray names = line.mid(showPrefix.size()).trimmed().split(' ').first();
    for (const QByteArray& name : names.split(',')) {
        if (const std::optional<WidgetFamily> family = WidgetFamilies::fromName(QString::fromLatin1(name)))
            families.append(*family);
    }
    return families;
}

RenderingMode modeIn(const QByteArray& line) {
    return line.trimmed().endsWith(' ' + accentedWord) ? RenderingMode::Accented : RenderingMode::FullColor;
}
} // namespace

TimelineListener::TimelineListener(QObject* parent)
    : QObject(parent), m_instance(WidgetChannel::socketPath(), QStringLiteral("Sorvel widget")) {
    connect(&m_instance, &LocalInstance::messageReceived, this, &TimelineListener::handle);
}

TimelineListener::Claim TimelineListener::claim(const QList<WidgetFamily>& families, RenderingMode mode) {
    return m_instance.claim(showMessage(families, mode));
}

QByteArray TimelineListener::showMessage(const QList<WidgetFamily>& families, RenderingMode mode) {
    QStringList names;
    for (const WidgetFamily family : families)
        names.append(WidgetFamilies::name(family));
    const QByteArray look = mode == RenderingMode::Accented ? ' ' + accentedWord : QByteArray();
    return showPrefix + names.join(QLatin1Char(',')).toLatin1() + look + '\n';
}

void TimelineListener::handle(const QByteArray& message) {
    if (message == WidgetChannel::reloadMessage()) {
        Q_EMIT reloadRequested();
        return;
    }
    if (const QList<WidgetFamily> families = familiesIn(message); !families.isEmpty())
        Q_EMIT familiesRequested(families, modeIn(message));
}

} // namespace sorvel
