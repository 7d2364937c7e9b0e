#pragma once

#include <QString>

class QWidget;

namespace divad {

// Asks the user for one line of text in a small box of its own, 400 x 125
// pixels in the middle of the screen, with a prompt, an input field, OK and
// Cancel. The box runs its own event loop and watches every key press of
// the program while it runs: Enter confirms, Escape cancels, Tab walks from
// the field to OK to Cancel and back; OK and Cancel press Enter and Escape
// for the user. The owner is disabled meanwhile. Only one box runs at a
// time. Made on the caller's stack for one question; user-interface thread.
class CInputBox
{
public:
    explicit CInputBox(QWidget *owner);
    ~CInputBox();
    CInputBox(const CInputBox &) = delete;
    CInputBox &operator=(const CInputBox &) = delete;

    // True when the user confirmed (an empty text included); Text() then
    // holds what was typed. False when cancelled, or when another box is
    // already running.
    bool Show(const QString &title, const QString &prompt);
    QString Text() const { return m_text; }

    // The box while Show() runs, else null (for tests that type into it).
    static QWidget *RunningBox();

private:
    QWidget *m_owner = nullptr;
    QString m_text;
};

// Installs CInputBox as the reader's way of asking for text.
void InstallInputBox();

} // namespace divad
