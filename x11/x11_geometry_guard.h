// A window's geometry that is always an answer, even for a window that is gone.
//
// The GLX library asks for the size of the window it draws into at the start
// of every frame and uses the answer without looking at whether the query
// failed. A window another program made can be destroyed at any moment; when
// that lands between the run's last look at its events and the next frame,
// the "size" is whatever was on the stack, and the renderer makes and clears
// buffers of that size: up to seconds of work and gigabytes of memory before
// the run reads that its window has gone. The program therefore defines the X
// library's geometry query itself (x11_geometry_guard.cpp, exported so every
// module finds it first); it asks the X library and, when the query fails,
// answers this. It also holds the size it answers to the largest the
// renderer draws, for the same reason: a window of another program can be
// made larger than that at any moment.
#pragma once

#include <X11/Xlib.h>

namespace roamlets::saver {

using GeometryQuery = Status (*)(Display*, Drawable, ::Window*, int*, int*, unsigned*, unsigned*, unsigned*,
                                 unsigned*);

// Asks `query`. When it fails (status 0), the answer is still filled in: a
// 1 x 1 window at the origin, no root, no border, depth 0. The status is the
// query's, so a caller that checks it still sees the failure. A width or
// height beyond `max_side` is answered as `max_side`: the renderer sizes its
// buffers by this answer, and draws no larger (see kMaxWindowSide).
Status query_geometry(GeometryQuery query, Display* display, Drawable drawable, ::Window* root, int* x, int* y,
                      unsigned* width, unsigned* height, unsigned* border, unsigned* depth, unsigned max_side);

}  // namespace roamlets::saver
