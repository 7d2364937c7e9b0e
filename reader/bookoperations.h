#pragma once

#include <QMetaType>
#include <QObject>

class QPrinter;
// The hub only passes the printer on; its users include the printer header.
Q_DECLARE_OPAQUE_POINTER(QPrinter *)

// The process-wide hub through which reading commands travel between parts
// that do not know each other: the reading tool bar and the reading frame
// emit, the viewers and the main window listen. It holds no state; emitting
// a signal is the whole of its behaviour.
//
// GUI thread only; the first call of instance() must happen there.
class BookOperations : public QObject
{
    Q_OBJECT
public:
    // The one hub, made on the first call and destroyed at program exit.
    static BookOperations *instance();

signals:
    void increaseFont();
    void decreaseFont();
    void increaseLineSpacing();
    void decreaseLineSpacing();
    void toggleColumnCount();
    void backPressed();
    // The helper of the text viewer shows its own print dialog, so the
    // printer may be null.
    void print(QPrinter *printer);
    void togglePrintContol(bool show);
    void toggleBackContol(bool show);
    void toggleNotesContol(bool show);

private:
    BookOperations();
    Q_DISABLE_COPY_MOVE(BookOperations)
};
