#include "app/sheets/ArchiveSheet.h"

#include "app/desktop/FolderDialog.h"
#include "app/navigation/AppRouter.h"
#include "app/sheets/SheetChrome.h"
#include "app/sheets/SheetSection.h"
#include "app/sheets/SwitchToggle.h"
#include "app/store/ArchiveSettings.h"
#include "app/store/ProjectStore.h"
#include "core/Settings.h"
#include "core/UserText.h"
#include "studio/ElidedLine.h"
#include "studio/KindBadge.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioLabel.h"
#include "studio/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace sorvel {

namespace {

constexpr int sheetWidth = 480;
constexpr int formMaximumHeight = 360;
constexpr int formInset = 20;

const QColor& systemOrange() {
    static const QColor orange(0xFF, 0x9F, 0x0A);
    return orange;
}

QLabel* symbolLabel(const QString& symbol, qreal fontSize, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(parent);
    const qreal side = Symbols::sideForFontSize(fontSize);
    label->setPixmap(Symbols::pixmap(symbol, side, color, label->devicePixelRatioF()));
    label->setFixedSize(QSizeF(side, side).toSize());
    return label;
}

} // namespace

ArchiveSheet::ArchiveSheet(const QSet<QUuid>& ids, ProjectStore& store, AppRouter& router, Settings& settings,
                           QWidget* parent)
    : QDialog(parent), m_ids(ids), m_store(store), m_settings(settings), m_router(router) {
    setWindowTitle(QStringLiteral("归档"));
    SheetChrome::apply(this);
    m_chooseDirectory = [this] {
        return FolderDialog::choose(this, QStringLiteral("选择归档目录"), QStringLiteral("设为归档目录"));
    };

    QWidget* header = makeHeader();
    QWidget* form = makeForm();
    QWidget* bottomBar = makeBottomBar();
    SheetChrome::setContent(this, sheetWidth, {header, form, bottomBar}, m_archive);

    connect(&m_store, &ProjectStore::projectsChanged, this, &ArchiveSheet::refreshProjects);
    connect(&m_settings, &Settings::changed, this, [this](const QString& key) {
        if (key == QLatin1String(ArchiveSettings::directoryKey) || key == QLatin1String(ArchiveSettings::moveFoldersKey)
            || key == QLatin1String(ArchiveSettings::writeSummaryKey))
            refreshOptions();
    });
    refreshProjects();
    refreshOptions();
    refreshErrors();
}

QWidget* ArchiveSheet::makeHeader() {
    auto* header = new QWidget(this);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(formInset, 18, formInset, 12);
    layout->setSpacing(12);
    layout->addWidget(symbolLabel(QStringLiteral("archivebox.fill"), 30, Studio::tint(this), header));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    m_title = Studio::plainLabel(Studio::font(14, Studio::Weight::Bold), Studio::text(), header);
    QLabel* hint = Studio::plainLabel(QStringLiteral("归档后会从“进行中”和“已完成”中移走，可随时恢复。"),
                                      Studio::font(12), Studio::text2(), header);
    hint->setWordWrap(true);
    texts->addWidget(m_title);
    texts->addWidget(hint);
    layout->addLayout(texts, 1);
    return header;
}

QWidget* ArchiveSheet::makeForm() {
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->viewport()->setAutoFillBackground(false);

    m_formContent = new QWidget;
    m_formContent->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(m_formContent);
    layout->setContentsMargins(formInset, 4, formInset, 8);
    layout->setSpacing(16);

    m_projects = new SheetSection(m_formContent);

    m_options = new SheetSection(m_formContent);
    auto* directory = new QWidget;
    auto* directoryLayout = new QHBoxLayout(directory);
    directoryLayout->setContentsMargins(0, 0, 0, 0);
    directoryLayout->setSpacing(8);
    m_directoryValue = Studio::plainLabel(Studio::font(12), Studio::text2(), directory);
    auto* choose = new StudioButton(QStringLiteral("选择…"), StudioButtonStyle{false, true}, directory);
    connect(choose, &QPushButton::clicked, this, &ArchiveSheet::chooseDirectory);
    directoryLayout->addWidget(m_directoryValue);
    directoryLayout->addWidget(choose);
    m_options->addRow(QStringLiteral("归档目录"), directory);

    m_moveToggle = new SwitchToggle;
    connect(m_moveToggle, &SwitchToggle::toggled, this,
            [this](bool on) { m_settings.setValue(QLatin1String(ArchiveSettings::moveFoldersKey), on); });
    m_options->addRow(QStringLiteral("把工程文件夹移动到归档目录"), m_moveToggle);

    m_summaryToggle = new SwitchToggle;
    connect(m_summaryToggle, &SwitchToggle::toggled, this,
            [this](bool on) { m_settings.setValue(QLatin1String(ArchiveSettings::writeSummaryKey), on); });
    m_options->addRow(QStringLiteral("生成归档清单（Markdown）"), m_summaryToggle);

    m_errorSection = new SheetSection(m_formContent);

    layout->addWidget(m_projects);
    layout->addWidget(m_options);
    layout->addWidget(m_errorSection);
    layout->addStretch(1);
    m_scroll->setWidget(m_formContent);
    m_formContent->setAutoFillBackground(false); // setWidget turns it on

    // The error lines come below the projects and options, which may fill the
    // form: it shows them as its height settles, until it is scrolled by hand.
    QScrollBar* bar = m_scroll->verticalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, &ArchiveSheet::revealErrors);
    connect(bar, &QScrollBar::actionTriggered, this, [this] { m_revealingErrors = false; });
    return m_scroll;
}

QWidget* ArchiveSheet::makeBottomBar() {
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(formInset, 12, formInset, 18);
    layout->setSpacing(8);

    m_pending = new QWidget(bar);
    auto* pendingLayout = new QHBoxLayout(m_pending);
    pendingLayout->setContentsMargins(0, 0, 0, 0);
    pendingLayout->setSpacing(5);
    pendingLayout->addWidget(symbolLabel(QStringLiteral("exclamationmark.triangle"), 12, Studio::text2(), m_pending));
    m_pendingText = Studio::plainLabel(Studio::font(12), Studio::text2(), m_pending);
    pendingLayout->addWidget(m_pendingText);
    layout->addWidget(m_pending);
    layout->addStretch(1);

    m_cancel = new StudioButton(QStringLiteral("取消"), StudioButtonStyle{false, false}, bar);
    m_archive = new StudioButton(QStringLiteral("归档"), StudioButtonStyle{true, false}, bar);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_archive, &QPushButton::clicked, this, &ArchiveSheet::archive);
    layout->addWidget(m_cancel);
    layout->addWidget(m_archive);
    return bar;
}

QString ArchiveSheet::directorySetting() const {
    return m_settings.string(QLatin1String(ArchiveSettings::directoryKey));
}

void ArchiveSheet::refreshProjects() {
    QList<AudioProject> projects;
    for (const AudioProject& project : m_store.projects()) {
        if (m_ids.contains(project.id))
            projects << project;
    }
    const auto pending = std::count_if(projects.cbegin(), projects.cend(),
                                       [](const AudioProject& p) { return p.status != ProjectStatus::Done; });

    m_title->setText(QStringLiteral("归档 %1 个项目").arg(projects.size()));
    m_projects->clearRows();
    m_projectNames.clear();
    m_unfinishedTags = 0;
    for (const AudioProject& project : projects) {
        auto* row = new QWidget;
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(8);
        layout->addWidget(new KindBadge(m_store.registry().type(project.typeID), 20, row));
        // A long name ends in an ellipsis instead of being cut mid-letter.
        auto* name = new ElidedLine(Studio::font(13), Studio::text(), row);
        name->setText(UserText::singleLine(project.name));
        name->setToolTip(Studio::plainToolTip(UserText::singleLine(project.name)));
        layout->addWidget(name, 1);
        if (project.status != ProjectStatus::Done) {
            layout->addWidget(Studio::plainLabel(QStringLiteral("未完成"), Studio::font(10), systemOrange(), row));
            ++m_unfinishedTags;
        }
        m_projects->addRow(row);
        m_projectNames << project.name;
    }

    m_pending->setVisible(pending > 0);
    m_pendingText->setText(QStringLiteral("%1 个未完成的项目会一并标记为完成").arg(pending));
    fitForm();
}

void ArchiveSheet::refreshOptions() {
    const QString directory = directorySetting();
    m_directoryValue->setText(directory.isEmpty() ? QStringLiteral("未设置") : FolderDialog::displayName(directory));
    m_directoryValue->setToolTip(Studio::plainToolTip(directory));
    const QSignalBlocker moveBlocker(m_moveToggle);
    const QSignalBlocker summaryBlocker(m_summaryToggle);
    m_moveToggle->setChecked(m_settings.boolean(QLatin1String(ArchiveSettings::moveFoldersKey), false));
    m_moveToggle->setEnabled(!directory.isEmpty());
    m_summaryToggle->setChecked(m_settings.boolean(QLatin1String(ArchiveSettings::writeSummaryKey), true));
    m_options->setFooter(directory.isEmpty()
                             ? QStringLiteral("未设置归档目录时，清单会写在各项目的工程文件夹里。")
                             : QStringLiteral("文件会按月份放进 ") + directory + QStringLiteral("/年-月/"));
    m_moveToggle->update();
    m_summaryToggle->update();
    fitForm();
}

void ArchiveSheet::refreshErrors() {
    m_errorSection->clearRows();
    m_errorLabels.clear();
    for (const QString& line : std::as_const(m_errors)) {
        QLabel* label = Studio::plainLabel(line, Studio::font(12), Studio::systemRed(), nullptr);
        label->setWordWrap(true);
        m_errorSection->addRow(label);
        m_errorLabels << label;
    }
    m_errorSection->setVisible(!m_errors.isEmpty());
    const bool reported = !m_errors.isEmpty();
    m_archive->setVisible(!reported);
    m_cancel->setText(reported ? QStringLiteral("关闭") : QStringLiteral("取消"));
    fitForm();
    m_revealingErrors = reported;
    revealErrors();
}

void ArchiveSheet::revealErrors() {
    if (!m_revealingErrors)
        return;
    const QRect section = m_errorSection->geometry();
    // All of the lines where they fit, else from the first one on.
    m_scroll->verticalScrollBar()->setValue(
        std::min(section.top(), section.bottom() + 1 - m_scroll->viewport()->height()));
}

void ArchiveSheet::fitForm() {
    if (!m_scroll || !m_formContent)
        return;
    m_formContent->setFixedWidth(sheetWidth);
    QLayout* layout = m_formContent->layout();
    layout->invalidate();
    layout->activate();
    const int wanted = layout->totalHeightForWidth(sheetWidth);
    m_scroll->setFixedHeight(std::min(formMaximumHeight, std::max(0, wanted)));
}

void ArchiveSheet::chooseDirectory() {
    const std::optional<QString> chosen = m_chooseDirectory ? m_chooseDirectory() : std::nullopt;
    if (!chosen || chosen->isEmpty())
        return;
    m_settings.setValue(QLatin1String(ArchiveSettings::directoryKey), *chosen);
    refreshOptions();
}

void ArchiveSheet::archive() {
    if (m_ran)
        return;
    m_ran = true;
    // An empty directory moves nothing, even when the move setting stayed on.
    const bool hasDirectory = !directorySetting().isEmpty();
    const ProjectStore::ArchiveOptions options{
        hasDirectory && m_settings.boolean(QLatin1String(ArchiveSettings::moveFoldersKey), false),
        m_settings.boolean(QLatin1String(ArchiveSettings::writeSummaryKey), true)};
    m_errors = m_store.archive(m_ids, options, ArchiveSettings::directory(m_settings));

    QSet<QUuid> selection = m_router.selection();
    selection.subtract(m_ids);
    m_router.setSelection(selection);

    if (m_errors.isEmpty()) {
        accept();
        return;
    }
    refreshErrors();
}

QString ArchiveSheet::titleText() const {
    return m_title->text();
}

QStringList ArchiveSheet::projectNames() const {
    return m_projectNames;
}

int ArchiveSheet::unfinishedTagCount() const {
    return m_unfinishedTags;
}

QString ArchiveSheet::pendingText() const {
    return m_pending->isHidden() ? QString() : m_pendingText->text();
}

QString ArchiveSheet::directoryText() const {
    return m_directoryValue->text();
}

QString ArchiveSheet::footerText() const {
    return m_options->footer();
}

QStringList ArchiveSheet::shownErrorLines() const {
    QStringList lines;
    if (m_errorSection->isHidden())
        return lines;
    for (const QLabel* label : m_errorLabels)
        lines << label->text();
    return lines;
}

void ArchiveSheet::paintEvent(QPaintEvent*) {
    SheetChrome::paintBackground(this);
}

} // namespace sorvel
