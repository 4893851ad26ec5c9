#include "studio/StudioField.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>

namespace sorvel {

namespace {

constexpr qreal radius = 7;

// Paints the field's plate before the field paints its text over it.
class FieldPlate final : public QObject {
public:
    explicit FieldPlate(QWidget* field) : QObject(field) { field->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* widget = static_cast<QWidget*>(watched);
            QPainter painter(widget);
            painter.setRenderHint(QPainter::Antialiasing);
            const QRectF plate(widget->rect());
            Shapes::fillRounded(painter, plate, radius, Studio::well());
            Shapes::strokeRoundedInside(painter, plate, radius, Studio::line(), 1);
        }
        return false;
    }
};

// Marks a field once styled, so a second call changes nothing.
bool claim(QWidget* field) {
    static const char* const marker = "sorvelStudioField";
    if (!field || field->property(marker).toBool())
        return false;
    field->setProperty(marker, true);
    return true;
}

void applyColors(QWidget* field) {
    QPalette palette = field->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, Qt::transparent);
        palette.setColor(group, QPalette::Text, group == QPalette::Disabled ? Studio::text3() : Studio::text());
        palette.setColor(group, QPalette::PlaceholderText, Studio::faded(Studio::text3(), 0.8));
    }
    // Only these roles are fixed here; highlight still comes from the window's accent.
    field->setPalette(palette);
    // The interface font as the field's own, so Chinese text and placeholder
    // share one set of line metrics; callers may set another afterwards.
    field->setFont(Studio::font(13));
    field->setAttribute(Qt::WA_TranslucentBackground);
    field->setAutoFillBackground(false);
}

} // namespace

void studioField(QLineEdit* field) {
    if (!claim(field))
        return;
    field->setFrame(false);
    // QLineEdit keeps 2 × 1 points of its own around the text.
    field->setTextMargins(7, 6, 7, 6);
    applyColors(field);
    new FieldPlate(field);
}

void studioField(QPlainTextEdit* field) {
    if (!claim(field))
        return;
    field->setFrameShape(QFrame::NoFrame);
    // The document margin is the one inset a scroll area keeps (a frame resets
    // contents margins, a style sheet would cut the field off the window's
    // palette); 8 all round sits between the 9 × 7 of single-line fields.
    field->document()->setDocumentMargin(8);
    field->viewport()->setAutoFillBackground(false);
    applyColors(field);
    new FieldPlate(field);
}

} // namespace sorvel
