#include "app/sheets/NewProjectSheet.h"

#include "app/desktop/FolderDialog.h"
#include "app/navigation/AppRouter.h"
#include "app/sheets/CueListParser.h"
#include "app/sheets/SegmentedPicker.h"
#include "app/sheets/SheetChrome.h"
#include "app/sheets/SheetSection.h"
#include "app/store/ProjectStore.h"
#include "core/UserText.h"
#include "studio/DateChip.h"
#include "studio/MenuItemText.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioField.h"
#include "studio/StudioLabel.h"
#include "studio/Symbols.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace sorvel {

namespace {

constexpr int sheetWidth = 460;
constexpr int itemsEditorHeight = 110;

QUuid defaultTypeID(const TypeRegistry& registry) {
    return registry.types().isEmpty() ? ProjectType::otherID : registry.types().first().id;
}

} // namespace

NewProjectSheet::NewProjectSheet(ProjectStore& store, AppRouter& router, QWidget* parent)
    : QDialog(parent), m_store(store), m_router(router), m_typeID(defaultTypeID(store.registry())) {
    setWindowTitle(QStringLiteral("新建项目"));
    SheetChrome::apply(this);
    m_chooseFolder = [this] {
        return FolderDialog::choose(this, QStringLiteral("选择工程文件夹"), QStringLiteral("选择"));
    };

    QWidget* form = makeForm();
    QWidget* bottomBar = makeBottomBar();
    SheetChrome::setContent(this, sheetWidth, {form, bottomBar}, m_create);
    updateFolderRow();
    updateCreateButton();
    m_name->setFocus();
}

QWidget* NewProjectSheet::makeForm() {
    auto* form = new QWidget(this);
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(20, 20, 20, 8);
    layout->setSpacing(18);

    auto* details = new SheetSection(form);

    m_name = new QLineEdit(form);
    m_name->setPlaceholderText(QStringLiteral("例如：Farming 春季配乐"));
    m_name->setMinimumWidth(260);
    studioField(m_name);
    connect(m_name, &QLineEdit::textChanged, this, &NewProjectSheet::updateCreateButton);
    details->addRow(QStringLiteral("名称"), m_name);

    m_typePicker = new QComboBox(form);
    m_typePicker->setFocusPolicy(Qt::StrongFocus);
    // Its popup is as wide as its widest entry: a long title is cut there, and whole in its tooltip.
    for (const ProjectType& type : m_store.registry().types()) {
        const MenuItemText entry = MenuItemText::inList(type.title, m_typePicker->font());
        m_typePicker->addItem(Symbols::icon(type.symbol, Studio::text()), entry.text, type.id);
        m_typePicker->setItemData(m_typePicker->count() - 1, entry.toolTip, Qt::ToolTipRole);
    }
    m_typePicker->setCurrentIndex(m_typePicker->findData(m_typeID));
    connect(m_typePicker, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            m_typeID = m_typePicker->itemData(index).toUuid();
    });
    details->addRow(QStringLiteral("类型"), m_typePicker);

    m_modePicker = new SegmentedPicker({title(ProgressMode::Auto), title(ProgressMode::Manual)}, form);
    connect(m_modePicker, &SegmentedPicker::currentIndexChanged, this,
            [this](int index) { m_mode = index == 1 ? ProgressMode::Manual : ProgressMode::Auto; });
    details->addRow(QStringLiteral("进度"), m_modePicker);

    m_deadlineChip = new DateChip(std::nullopt, QStringLiteral("点击设置"), true,
                                  Studio::font(12, Studio::Weight::Regular, true), form);
    connect(m_deadlineChip, &DateChip::dateChosen, this, &NewProjectSheet::setDeadline);
    details->addRow(QStringLiteral("截止日期"), m_deadlineChip);

    auto* folder = new QWidget(form);
    auto* folderLayout = new QHBoxLayout(folder);
    folderLayout->setContentsMargins(0, 0, 0, 0);
    folderLayout->setSpacing(8);
    m_folderLabel = Studio::plainLabel(Studio::font(12), Studio::text2(), folder);
    m_folderButton = new StudioButton(QString(), StudioButtonStyle{false, true}, folder);
    connect(m_folderButton, &QPushButton::clicked, this, &NewProjectSheet::chooseFolder);
    folderLayout->addWidget(m_folderLabel);
    folderLayout->addWidget(m_folderButton);
    details->addRow(QStringLiteral("工程文件夹"), folder);

    auto* items = new SheetSection(form);
    items->setHeader(QStringLiteral("条目"));
    items->setFooter(QStringLiteral("每行一条，之后也可以再添加。"));
    m_items = new QPlainTextEdit(form);
    m_items->setFixedHeight(itemsEditorHeight);
    m_items->setTabChangesFocus(true);
    m_items->setFont(Studio::font(13));
    studioField(m_items);
    items->addRow(m_items);

    layout->addWidget(details);
    layout->addWidget(items);
    return form;
}

QWidget* NewProjectSheet::makeBottomBar() {
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(20, 12, 20, 18);
    layout->addStretch(1);
    m_cancel = new StudioButton(QStringLiteral("取消"), StudioButtonStyle{false, false}, bar);
    m_create = new StudioButton(QStringLiteral("创建"), StudioButtonStyle{true, false}, bar);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_create, &QPushButton::clicked, this, &NewProjectSheet::create);
    layout->addWidget(m_cancel);
    layout->addWidget(m_create);
    return bar;
}

void NewProjectSheet::setProgressMode(ProgressMode mode) {
    m_modePicker->setCurrentIndex(mode == ProgressMode::Manual ? 1 : 0);
}

std::optional<QDateTime> NewProjectSheet::deadline() const {
    if (!m_hasDeadline)
        return std::nullopt;
    return m_deadline;
}

void NewProjectSheet::setDeadline(const std::optional<QDateTime>& date) {
    m_hasDeadline = date.has_value();
    if (date)
        m_deadline = *date; // a cleared chip keeps the last pick, unused
    m_deadlineChip->setDate(deadline());
}

void NewProjectSheet::chooseFolder() {
    const std::optional<QString> chosen = m_chooseFolder ? m_chooseFolder() : std::nullopt;
    if (!chosen || chosen->isEmpty())
        return;
    m_folderPath = *chosen;
    if (m_name->text().isEmpty())
        m_name->setText(FolderDialog::displayName(*chosen));
    updateFolderRow();
}

void NewProjectSheet::updateFolderRow() {
    m_folderLabel->setVisible(m_folderPath.has_value());
    m_folderLabel->setText(m_folderPath ? FolderDialog::displayName(*m_folderPath) : QString());
    m_folderLabel->setToolTip(Studio::plainToolTip(m_folderPath.value_or(QString())));
    m_folderButton->setText(m_folderPath ? QStringLiteral("更改…") : QStringLiteral("选择…"));
}

void NewProjectSheet::updateCreateButton() {
    m_create->setEnabled(!UserText::isBlank(m_name->text()));
}

bool NewProjectSheet::create() {
    // The name is checked again here: the button's state may lag behind the text.
    const QString name = UserText::trimmed(m_name->text());
    if (name.isEmpty() || m_created) {
        updateCreateButton();
        return false;
    }

    AudioProject project = AudioProject::make(name, m_typeID);
    project.progressMode = m_mode;
    for (const QString& cueTitle : CueListParser::titles(m_items->toPlainText()))
        project.addCue(cueTitle);
    project.folderPath = m_folderPath;
    project.deadline = deadline();

    m_created = true; // a second Return before the sheet closes must not add a twin
    m_store.addProject(project);
    if (const AudioProject* added = m_store.project(project.id))
        m_router.show(*added);
    accept();
    return true;
}

void NewProjectSheet::paintEvent(QPaintEvent*) {
    SheetChrome::paintBackground(this);
}

} // namespace sorvel
