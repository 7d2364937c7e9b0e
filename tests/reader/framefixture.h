#pragma once

#include <QStringList>

#include <memory>

class BookViewer;
class UserContext;

// A reading frame of its own for the tests of comics and PDF books in the
// frame: a fresh reading controller, a shown and active 900 x 650 frame,
// and the messages both would show collected as "title|text".
class FrameFixture
{
public:
    FrameFixture();
    ~FrameFixture();

    // For initTestCase(): the library database open and the style sheet
    // loaded, as the window has them, and quick double clicks; false (with
    // a warning) when the database does not open.
    static bool prepare();
    // One column, no fades, the day profile, without telling anyone.
    static void resetSettings();
    // A library record for the book at path, titled by its file name, of
    // the format its suffix names, last read at time 100; its id, -1 when
    // it cannot be added.
    static int addBook(const QString &path);

    // Drops the frame and controller there were and makes new ones; false
    // when the frame's window does not become active.
    bool make();
    // Drops the frame, then the controller, and deletes what they left to
    // be deleted later.
    void clear();
    // Opens the library book in the frame; false when the record is missing
    // or the frame refuses the book.
    bool openBook(int id);

    UserContext *context() const { return m_context.get(); }
    BookViewer *frame() const { return m_frame.get(); }
    QStringList messages;

private:
    std::unique_ptr<UserContext> m_context;
    std::unique_ptr<BookViewer> m_frame;
};
