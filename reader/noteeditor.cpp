#include "reader/noteeditor.h"

#include <QScrollBar>
#include <QWheelEvent>

NoteEditor::NoteEditor(QWidget *parent)
    : QPlainTextEdit(parent)
{
    auto *bar = new QScrollBar(Qt::Vertical, this);
    bar->setObjectName(QStringLiteral("noteEditorScrollBar"));
    setVerticalScrollBar(bar);
}

void NoteEditor::wheelEvent(QWheelEvent *event)
{
    const QScrollBar *bar = verticalScrollBar();
    const int delta = event->angleDelta().y();
    const bool pastEnd = bar->value() >= bar->maximum() && delta < 0;
    const bool pastStart = bar->value() <= bar->minimum() && delta > 0;
    if (pastEnd || pastStart) {
        event->accept();
        return;
    }
    QPlainTextEdit::wheelEvent(event);
}
