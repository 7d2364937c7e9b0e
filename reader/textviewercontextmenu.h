#pragma once

#include <QKeySequence>
#include <QMenu>

class CustomMenuItemAction;

// The small menu the text viewer opens over a selection or over a note. It
// does nothing to the book itself: each entry becomes a key sequence (Ctrl+C
// copy, Ctrl+N add or remove a note, Ctrl+T translate) or a colour that the
// menu emits, and the viewer acts. The two search entries emit nothing; the
// viewer recognises them among the answers of exec().
class TextViewerContextMenu : public QMenu
{
    Q_OBJECT
public:
    // noteMode: the menu over a note ("Remove note" and the colours only);
    // otherwise the menu over a selection.
    TextViewerContextMenu(bool noteMode, QWidget *parent = nullptr);

    bool isNoteMode() const { return m_noteMode; }
    // Null where the mode has no such entry.
    QAction *copyAction() const { return m_copyAction; }
    QAction *noteAction() const { return m_noteAction; }
    QAction *translateAction() const { return m_translateAction; }
    QAction *googleAction() const { return m_googleAction; }
    QAction *wikipediaAction() const { return m_wikipediaAction; }
    CustomMenuItemAction *colorAction() const { return m_colorAction; }

    // The swatch colours, left to right.
    static QList<QColor> colors();

signals:
    void keySequencePressed(const QKeySequence &keys);
    // Declared for listeners; the menu emits neither.
    void translate();
    void copy();

public slots:
    void onCopy();
    void onNote();
    void onTranslate();

protected:
    // Control followed by a letter triggers the entry of that shortcut.
    void keyPressEvent(QKeyEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(TextViewerContextMenu)

    QAction *addEntry(const QString &text, const QKeySequence &keys);

    bool m_noteMode = false;
    bool m_controlPressed = false;
    QAction *m_copyAction = nullptr;
    QAction *m_noteAction = nullptr;
    QAction *m_translateAction = nullptr;
    QAction *m_googleAction = nullptr;
    QAction *m_wikipediaAction = nullptr;
    CustomMenuItemAction *m_colorAction = nullptr;
};
