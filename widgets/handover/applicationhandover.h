#pragma once

class InputPasswordController;
class MessageBoxController;

// The application's own hand-over controllers, for readers below the
// application that must ask the user something from a loading thread (a
// PDF password). The application registers its controllers when it starts
// and clears them before it destroys them; until then, and afterwards, the
// look-ups answer null and a reader goes on as if nobody answered.
//
// Callable from any thread.
namespace Handover {

void setApplicationControllers(InputPasswordController *passwords, MessageBoxController *messages);
InputPasswordController *applicationPasswordController();
MessageBoxController *applicationMessageController();

} // namespace Handover
