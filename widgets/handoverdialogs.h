#pragma once

#include <QString>

class InputPasswordController;
class MessageBoxController;
class QWidget;

// The GUI side of the hand-over, for the main window's slots on the
// controllers' signals. Both run a modal dialog and store the answer before
// they clear the pending word, so the waiting loader sees a complete answer.

// Shows the password dialog (SKIP and SKIP ALL only with checkSkip) with
// `parent` as parent and answers the controller.
void answerPasswordRequest(InputPasswordController *controller, bool checkSkip, QWidget *parent);

// Shows the message box with `title` and `message`, then clears the
// controller's pending word.
void answerMessageRequest(MessageBoxController *controller, const QString &title,
                          const QString &message, QWidget *parent);
