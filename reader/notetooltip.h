#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

class NoteEditor;
struct Note;

// The balloon that shows one note's comment over the page and lets the
// reader edit it. A pointer on one edge points at the note (arrow 1: top
// edge near the left, 2: top edge near the right, 3: bottom edge near the
// left, 0: none).
//
// The balloon keeps the note's id, not the note: the text viewer owns the
// notes and takes a committed comment through noteTextCommitted(), so a
// note removed meanwhile is never written through a stale pointer.
//
// Keys: control+Enter commits and closes, Escape closes and keeps the
// comment as it was. A mouse press while not editing starts editing.
// Child of the text viewer; GUI thread only.
class NoteTooltip : public QFrame
{
    Q_OBJECT
public:
    explicit NoteTooltip(QWidget *parent = nullptr);

    void setArrow(int value);
    int arrow() const { return m_arrow; }
    void setBorderColor(const QColor &color);
    QColor borderColor() const { return m_borderColor; }
    void setBackgroundColor(const QColor &color);
    QColor backgroundColor() const { return m_backgroundColor; }
    // The colour of the comment, shown or edited (dark by default: the
    // note colours are pale in every profile).
    void setTextColor(const QColor &color);
    QColor textColor() const { return m_textColor; }

    // Shows the note's comment on the note's colour; null shows no note.
    void setNote(const Note *note);
    // The id of the note shown; empty for none.
    QString noteId() const { return m_noteId; }
    void setText(const QString &value);
    QString text() const { return m_text; }
    // 1 shows the editor with the comment and focuses it; 0 takes the
    // editor's text as the shown text and hides the editor.
    void setEditing(int flag);
    bool isEditing() const { return m_editing == 1; }
    NoteEditor *editor() const { return m_editor; }

    // While editing: the editor's text becomes the shown text and, when a
    // note is shown, that note's comment (noteTextCommitted()).
    void commitText();

signals:
    void noteTextCommitted(const QString &id, const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(NoteTooltip)

    void onEditorInactive();
    QString fittingText(const QRect &rect) const;

    int m_arrow = 0;
    QColor m_borderColor = Qt::black;
    QColor m_backgroundColor = Qt::white;
    QColor m_textColor = Qt::black;
    NoteEditor *m_editor = nullptr;
    QString m_noteId;
    int m_editing = 0;
    QString m_text;
};
