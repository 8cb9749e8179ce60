// The close rules: when a saver run ends on input, loss of activation or a
// power event, subject to the password verification on Windows 95/98/Me; and
// the default handling of everything else.
#pragma once

#include "saver/platform.h"

namespace roamlets::saver {

struct HostState;

// The close triggers alone: keys, mouse buttons, a mouse movement beyond the
// threshold (measured from the cursor origin, which a closing movement moves),
// loss of activation and power events post WM_CLOSE to `target`; showing the
// window and cursor requests hide the cursor. Returns true with `result` set
// when the message is consumed; false leaves it to the default handling.
// Every full-screen run of both programs closes by these rules.
bool apply_close_triggers(HostState& state, InputPlatform& platform, Window target, const Message& message,
                          LResult& result);

// Whether the close triggers would request a close on `message` with the
// cursor at `cursor`, without doing anything: for a run that looks at the
// input waiting for it while it draws.
bool would_close(const HostState& state, const Message& message, Point cursor);

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
