#pragma once

#include <QAbstractButton>
#include <QString>

namespace sorvel {

// The project folder as a link: a folder symbol and the folder's name in the
// window's accent tint, on one line (cut with an ellipsis when long); its
// tooltip is the full path.
class FolderLink final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int widestName = 300;

    explicit FolderLink(QWidget* parent = nullptr);

    void setPath(const QString& path);
    QString path() const { return m_path; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_path;
};

} // namespace sorvel
