// The X window a run draws into, with a double-buffered RGBA OpenGL context
// current on it: a window of its own (framed, or covering the screen), or a
// window another program made (the screen-saver daemon's, or the root).
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "x11/run_options.h"

typedef struct __GLXcontextRec* GLXContext;

namespace roamlets::saver {

class GlxSurface {
 public:
  // Makes or adopts the window named by `options` and makes a context current
  // on it; a window of its own is made unmapped. Null with the reason in
  // `error` when the window does not exist or OpenGL cannot draw into it.
  static std::unique_ptr<GlxSurface> create(Display* display, const RunOptions& options, std::string& error);

  // Releases and destroys the context, and destroys a window of its own.
  ~GlxSurface();
  GlxSurface(const GlxSurface&) = delete;
  GlxSurface& operator=(const GlxSurface&) = delete;

  ::Window window() const { return window_; }
  bool own_window() const { return own_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // The ClientMessage atom a window manager's close button sends.
  Atom delete_atom() const { return delete_atom_; }

  void map();
  // Shows the back buffer.
  void swap();

 private:
  GlxSurface(Display* display, ::Window window, bool own) : display_(display), window_(window), own_(own) {}

  Display* display_;
  ::Window window_;
  bool own_;
  Colormap colormap_ = None;
  GLXContext context_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  Atom delete_atom_ = None;
};

// From here on, X protocol errors no longer end the process (Xlib's default):
// they are counted, and the first one since the last call is described.
void keep_running_on_x_errors();
// The description of the first X error since the last call, or "".
std::string take_x_error(Display* display);

}  // namespace roamlets::saver
