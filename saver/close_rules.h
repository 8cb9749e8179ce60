// The close rules: when a saver run ends on input, loss of activation or a
// power event, subject to the password verification on Windows 95/98/Me; and
// the default handling of everything else.
#pragma once

#include <optional>

#include "saver/platform.h"

namespace roamlets::saver {

struct HostState;

// Input as the close rules judge it, whichever program received it.
struct InputEvent {
  enum class Kind {
    WindowShown,   // the saver window was shown
    CursorQuery,   // the system asks which cursor to show over the window
    Deactivated,   // the activation (the keyboard focus) went to another program
    PowerEvent,    // a power broadcast, or the resume after a critical suspension
    KeyDown,       // a key was pressed
    ButtonDown,    // the left, middle or right mouse button was pressed
    PointerMoved,  // the pointer moved, to `cursor`
  };
  Kind kind;
  // Where the pointer is now, in screen coordinates; read for a movement only.
  Point cursor;
};

// What the close rules decide on one input. The program carries it out.
struct CloseAction {
  // Ask for the run to close.
  bool close = false;
  bool hide_cursor = false;
  // Set when the input is answered with this and the default handling is to
  // leave it alone; unset hands it on to the default handling.
  std::optional<LResult> answer;
};

// The close triggers alone: keys, mouse buttons, a pointer movement beyond the
// threshold (measured from the cursor origin, which a closing movement moves),
// loss of activation and power events close; the window being shown and the
// cursor query hide the cursor, and the query is answered 1. Every
// full-screen run of both programs closes by these rules.
CloseAction judge_input(HostState& state, const InputEvent& input);

// Whether the close triggers would close on `input`, changing nothing: for a
// run that looks at the input waiting for it while it draws.
bool would_close(const HostState& state, const InputEvent& input);

// Whether a close waits in the message queue: a close request, or input on
// which the close rules would close (a key, a mouse button, a movement beyond
// the threshold) outside a preview and a password prompt; or a close already
// granted. Takes nothing from the queue. A frame in flight asks this between
// its pieces and is given up, unshown, when the answer is yes, so that a close
// never waits for a frame that takes seconds to draw.
bool close_pending(Host& host);

// The default handling of a message of the saver window: the close triggers,
// the verify request, the AutoPlay query, then the platform's default window
// procedure. May be called with any window; every close request it posts, and
// every verification, concerns the window it was called with.
LResult default_saver_proc(Host& host, const Message& message);

// Input that lands on the scene window (the OpenGL child that covers the saver
// window). The close rules judge it on the saver window's behalf: a close
// request goes to the saver window, once, and the scene window is never
// closed on its own; what the rules leave alone gets the scene window's
// default handling. Called for activation, cursor, system-command, key and
// mouse-button-down and mouse-move messages.
LResult scene_input_proc(Host& host, const Message& message);

}  // namespace roamlets::saver
