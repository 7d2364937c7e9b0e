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

    // One column, no fades, the day profile, without telling anyone.
    static void resetSettings();

    // Drops the frame and controller there were and makes new ones; false
    // when the frame's window does not become active.
    bool make();
    // Drops the frame, then the controller, and deletes what they left to
    // be deleted later.
    void clear();

    UserContext *context() const { return m_context.get(); }
    BookViewer *frame() const { return m_frame.get(); }
    QStringList messages;

private:
    std::unique_ptr<UserContext> m_context;
    std::unique_ptr<BookViewer> m_frame;
};
