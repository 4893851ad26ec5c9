#pragma once

#include <QWidget>

class QLabel;

namespace sorvel {

class PlainSymbolButton;

// The last line of a cue table: "添加 cue" at the start, the cue count and
// the total length at the end.
class CueTableFooter final : public QWidget {
    Q_OBJECT
public:
    static constexpr int height = 38;

    explicit CueTableFooter(QWidget* parent = nullptr);

    void setSummary(qsizetype cueCount, qint64 totalSeconds);
    PlainSymbolButton* addButton() const { return m_add; }
    QString countText() const;
    QString totalText() const;

    static QString countText(qsizetype cueCount); // "3 段"
    static QString totalText(qint64 totalSeconds); // "合计 4′05″"

Q_SIGNALS:
    void addRequested();

private:
    PlainSymbolButton* m_add = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_total = nullptr;
};

} // namespace sorvel
