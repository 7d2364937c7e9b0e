#pragma once

#include <QPlainTextEdit>

// The box in which the reader types a note's comment, inside the note
// balloon over the page. A wheel turn that would scroll past either end of
// the comment is swallowed, so the page under the balloon never turns while
// the comment is being scrolled.
class NoteEditor : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit NoteEditor(QWidget *parent = nullptr);

signals:
    // Editing should end; nothing in the reading view emits it today.
    void editorInactive();

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(NoteEditor)
};
