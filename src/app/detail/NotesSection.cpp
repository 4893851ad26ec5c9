#include "app/detail/NotesSection.h"

#include "app/detail/DetailEdit.h"
#include "app/detail/StoredText.h"
#include "app/store/ProjectStore.h"
#include "studio/SectionTitle.h"
#include "studio/Studio.h"
#include "studio/StudioField.h"
#include "studio/TypedTextWrite.h"

#include <QAbstractTextDocumentLayout>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>

#include <cmath>

namespace sorvel {

NotesEditor::NotesEditor(QWidget* parent) : QPlainTextEdit(parent) {
    studioField(this);
    setFont(Studio::font(13));
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The layout counts wrapped lines once the text is laid out at the editor's width.
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this, [this] {
        const int height = contentHeight();
        if (height != this->height())
            updateGeometry();
    });
    // Until the layout has grown the editor, Qt scrolls it to show the caret of
    // a paste or a new line, and that offset would hide the first lines for good.
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect&, int scrolled) {
        if (scrolled != 0)
            QMetaObject::invokeMethod(this, &NotesEditor::showFromTheTop, Qt::QueuedConnection);
    });
}

void NotesEditor::showFromTheTop() {
    verticalScrollBar()->setValue(0);
}

void NotesEditor::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    showFromTheTop();
    Q_EMIT resized();
}

int NotesEditor::contentHeight() const {
    // The plain-text layout measures its document in lines.
    const qreal lines = std::max<qreal>(1, document()->documentLayout()->documentSize().height());
    const qreal text = lines * QFontMetricsF(font()).lineSpacing() + 2 * document()->documentMargin();
    const QMargins frame = contentsMargins();
    return std::max(minimumHeight, int(std::ceil(text)) + frame.top() + frame.bottom() + 2);
}

QSize NotesEditor::sizeHint() const {
    return {QPlainTextEdit::sizeHint().width(), contentHeight()};
}

QSize NotesEditor::minimumSizeHint() const {
    return {QPlainTextEdit::minimumSizeHint().width(), contentHeight()};
}

NotesSection::NotesSection(const QUuid& projectID, ProjectStore& store, QWidget* parent)
    : QWidget(parent), m_projectID(projectID), m_store(store) {
    m_editor = new NotesEditor(this);
    m_write = new TypedTextWrite(
        [this](const QString& text) {
            DetailEdit::stamped(m_store, m_projectID, [&](AudioProject& p) { p.notes = text; });
        },
        this);
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_showingStoredText) // only the user's own typing is written
            m_write->changed(m_editor->toPlainText());
    });

    // The editor grows instead of scrolling, so the pane keeps the typing point
    // in view: where the caret goes, and once the editor has grown under it.
    connect(m_editor, &QPlainTextEdit::cursorPositionChanged, this, &NotesSection::keepCaretInView);
    // Once the pane, too, has taken the new height.
    connect(m_editor, &NotesEditor::resized, this, &NotesSection::keepCaretInView, Qt::QueuedConnection);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(new SectionTitle(QStringLiteral("备注"), QStringLiteral("NOTES"), std::nullopt, this));
    column->addWidget(m_editor);
}

void NotesSection::keepCaretInView() {
    QScrollArea* pane = nullptr;
    for (QWidget* w = parentWidget(); w && !pane; w = w->parentWidget())
        pane = qobject_cast<QScrollArea*>(w);
    if (!pane || !pane->widget() || !m_editor->hasFocus())
        return;
    const QPoint caret = m_editor->viewport()->mapTo(pane->widget(), m_editor->cursorRect().center());
    pane->ensureVisible(caret.x(), caret.y(), 0, QFontMetrics(m_editor->font()).lineSpacing() * 2);
}

void NotesSection::refresh(const AudioProject& project) {
    if (m_write->isPending())
        return; // the typed text goes to the store first
    const QScopedValueRollback showing(m_showingStoredText, true);
    StoredText::show(m_editor, project.notes);
}

} // namespace sorvel
