#pragma once

#include "instance/LocalInstance.h"
#include "widget/WidgetFamily.h"

#include <QList>
#include <QObject>

namespace sorvel {

// The widget program's one instance per user, on the per-user socket where it
// hears the application's requests to read the data file again (sent after
// each of its saves) and later starts of the widget program that hand their
// sizes and look over to this one (see LocalInstance).
class TimelineListener final : public QObject {
    Q_OBJECT
public:
    using Claim = LocalInstance::Claim;

    explicit TimelineListener(QObject* parent = nullptr);

    // Becomes the widget program that listens, or hands these sizes, in this
    // rendering mode, to the one that runs (HandedOver: end this start).
    Claim claim(const QList<WidgetFamily>& families, RenderingMode mode = RenderingMode::FullColor);
    bool isListening() const { return m_instance.isListening(); }

    // "show-families small,large\n", with " accented" before the line end
    // for the accented look.
    static QByteArray showMessage(const QList<WidgetFamily>& families, RenderingMode mode = RenderingMode::FullColor);

Q_SIGNALS:
    void reloadRequested();
    void familiesRequested(const QList<sorvel::WidgetFamily>& families, sorvel::RenderingMode mode);

private:
    void handle(const QByteArray& message);

    LocalInstance m_instance;
};

} // namespace sorvel
