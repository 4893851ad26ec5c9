#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace sorvel {

// Placeholder until the update checker is built: it never checks and never
// has a release to offer.
class UpdateChecker final : public QObject {
    Q_OBJECT
public:
    static UpdateChecker& shared();

    void start();
    void check(bool userInitiated);
    // The version of a newer release once one is known; none here.
    std::optional<QString> availableVersion() const { return std::nullopt; }
    void presentAvailable();

Q_SIGNALS:
    void stateChanged();

private:
    UpdateChecker() = default;
};

} // namespace sorvel
