#pragma once

#include <QString>
#include <QUrl>

#include <memory>

class QMessageBox;

namespace sorvel {

// How the update checker talks to the user: modal alerts and opening the
// download address. Tests put a recorder in its place.
class UpdatePrompter {
public:
    enum class ReleaseChoice { Download, Later, Skip };

    virtual ~UpdatePrompter() = default;
    // The new-release alert with "下载新版", "稍后提醒", "跳过这个版本".
    virtual ReleaseChoice askAboutRelease(const QString& message, const QString& details) = 0;
    // An alert with only a confirming button.
    virtual void tell(const QString& message, const QString& details) = 0;
    virtual void open(const QUrl& url) = 0;
};

// The real alerts: message boxes brought to the front; texts from the feed
// are shown as plain text, never as markup or links.
class MessageBoxPrompter final : public UpdatePrompter {
public:
    static constexpr const char* downloadTitle = "下载新版";
    static constexpr const char* laterTitle = "稍后提醒";
    static constexpr const char* skipTitle = "跳过这个版本";
    static constexpr const char* confirmTitle = "好";

    ReleaseChoice askAboutRelease(const QString& message, const QString& details) override;
    void tell(const QString& message, const QString& details) override;
    void open(const QUrl& url) override;

    // The boxes as they are shown, before they run.
    static std::unique_ptr<QMessageBox> releaseBox(const QString& message, const QString& details);
    static std::unique_ptr<QMessageBox> messageBox(const QString& message, const QString& details);
    // What the button that closed a release box stands for (Later for none).
    static ReleaseChoice choice(const QMessageBox& releaseBox);
};

} // namespace sorvel
