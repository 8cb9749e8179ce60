// The close rules: when a saver run ends on input, loss of activation or a
// power event, subject to the password verification on Windows 95/98/Me; and
// the default handling of everything else.
#pragma once

#include "host/platform.h"

namespace roamlets::host {

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

}  // namespace roamlets::host
