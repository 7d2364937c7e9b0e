#pragma once

#include <QFrame>

struct BookDto;

// What the main window needs of the reading frame, page 2 of its stack. The
// reading frame derives from this; the window creates it through
// MainViewParts.
//
// The frame also relays the reading tool bar's requests to show or hide the
// window's back, print and notes buttons (the toggle signals below), and
// turns the window's back and print buttons into the reading operations it
// stands for (back() and print()).
class ReaderPage : public QFrame
{
    Q_OBJECT
public:
    explicit ReaderPage(QWidget *parent = nullptr);
    ~ReaderPage() override;

    // Picks the viewer for the book's format and loads the book. False means
    // nothing could be shown; the window then returns to the library.
    virtual bool openBook(const BookDto &book) = 0;
    // Bracket every change of the window's size or state while the frame is
    // shown: the frame waits during the change and lays itself out at the end.
    virtual void beginResize() = 0;
    virtual void endResize() = 0;
    // The frame's own full-screen layout; true only from the window's
    // full-screen state.
    virtual void setFullScreen(bool fullScreen) = 0;
    // The window's back button was pressed.
    virtual void back() = 0;
    // The window's print button was pressed.
    virtual void print() = 0;

signals:
    // A book has been opened and is being read.
    void newBookReading();
    void showContents();
    void showNotes();
    void fullScreen();
    void showSearch();
    // The viewer could not show the book.
    void viewerError();
    // Show or hide the window's back, print and notes buttons.
    void toggleBackContol(bool visible);
    void togglePrintContol(bool visible);
    void toggleNotesContol(bool visible);

private:
    Q_DISABLE_COPY_MOVE(ReaderPage)
};
