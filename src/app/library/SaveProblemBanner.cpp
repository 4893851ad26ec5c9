#include "app/library/SaveProblemBanner.h"

#include "app/store/ProjectStore.h"
#include "app/store/SaveProblemText.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"

#include <QLabel>

namespace sorvel {

SaveProblemBanner::SaveProblemBanner(ProjectStore& store, QWidget* parent) : QStatusBar(parent), m_store(store) {
    setSizeGripEnabled(false);
    // A dark red band: a problem, not a notice that may be missed.
    const QColor band = Studio::faded(Studio::systemRed(), 0.35);
    setStyleSheet(QStringLiteral("QStatusBar { background: rgba(%1, %2, %3, %4); border-top: 1px solid %5; }"
                                 "QStatusBar::item { border: none; }")
                      .arg(band.red())
                      .arg(band.green())
                      .arg(band.blue())
                      .arg(band.alpha())
                      .arg(Studio::systemRed().name()));
    m_label = Studio::plainLabel(Studio::font(12, Studio::Weight::Medium), Studio::text(), this);
    m_label->setContentsMargins(12, 6, 12, 6);
    addWidget(m_label, 1);
    connect(&m_store, &ProjectStore::saveProblemChanged, this, &SaveProblemBanner::sync);
    connect(&m_store, &ProjectStore::folderWaitChanged, this, &SaveProblemBanner::sync);
    sync();
}

QString SaveProblemBanner::message() const {
    return m_label->text();
}

void SaveProblemBanner::sync() {
    const QString text = SaveProblemText::forBanner(m_store.saveProblem(), m_store.isWaitingForFolder());
    m_label->setText(text);
    setVisible(!text.isEmpty());
}

} // namespace sorvel
