#include "x11/x11_surface.h"

#include <GL/glx.h>
#include <X11/Xutil.h>

#include <cstdio>

namespace roamlets::saver {
namespace {

// The first protocol error since it was last taken.
XErrorEvent g_error{};
bool g_has_error = false;

int note_error(Display*, XErrorEvent* error) {
  if (!g_has_error) {
    g_error = *error;
    g_has_error = true;
  }
  return 0;
}

// A visual with 8 bits per colour and double buffering, with a depth buffer
// when there is one (the scene works without).
XVisualInfo* choose_visual(Display* display, int screen) {
  int with_depth[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                      GLX_DEPTH_SIZE, 1, None};
  if (XVisualInfo* visual = glXChooseVisual(display, screen, with_depth)) return visual;
  int without_depth[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
  return glXChooseVisual(display, screen, without_depth);
}

// The visual of a window another program made.
XVisualInfo* visual_of(Display* display, const XWindowAttributes& attributes) {
  XVisualInfo wanted{};
  wanted.visualid = XVisualIDFromVisual(attributes.visual);
  wanted.screen = XScreenNumberOfScreen(attributes.screen);
  int count = 0;
  return XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &count);
}

std::string hex(unsigned long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", value);
  return text;
}

constexpr long kOwnEvents = KeyPressMask | ExposureMask | StructureNotifyMask;
constexpr long kFullScreenEvents =
    KeyPressMask | ButtonPressMask | PointerMotionMask | ExposureMask | StructureNotifyMask | FocusChangeMask;
// Another program's window: only what the run needs to follow it; its input
// belongs to that program.
constexpr long kAdoptedEvents = ExposureMask | StructureNotifyMask;

}  // namespace

void keep_running_on_x_errors() { XSetErrorHandler(note_error); }

std::string take_x_error(Display* display) {
  XSync(display, False);
  if (!g_has_error) return "";
  g_has_error = false;
  char text[256];
  XGetErrorText(display, g_error.error_code, text, sizeof text);
  return std::string(text) + " (request " + std::to_string(g_error.request_code) + ", resource " +
         hex(g_error.resourceid) + ")";
}

std::unique_ptr<GlxSurface> GlxSurface::create(Display* display, const RunOptions& options, std::string& error) {
  const int screen = DefaultScreen(display);
  take_x_error(display);
  XVisualInfo* visual = nullptr;
  std::unique_ptr<GlxSurface> surface;

  if (options.surface == Surface::OwnWindow || options.surface == Surface::FullScreen) {
    visual = choose_visual(display, screen);
    if (visual == nullptr) {
      error = "the display offers no double-buffered RGBA OpenGL visual";
      return nullptr;
    }
    const bool full = options.surface == Surface::FullScreen;
    const int width = full ? DisplayWidth(display, screen) : options.width;
    const int height = full ? DisplayHeight(display, screen) : options.height;
    const ::Window root = RootWindow(display, screen);
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.event_mask = full ? kFullScreenEvents : kOwnEvents;
    attributes.override_redirect = full ? True : False;
    const ::Window window =
        XCreateWindow(display, root, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                      visual->depth, InputOutput, visual->visual,
                      CWColormap | CWBackPixmap | CWBorderPixel | CWEventMask | CWOverrideRedirect, &attributes);
    surface.reset(new GlxSurface(display, window, true));
    surface->colormap_ = attributes.colormap;
    surface->width_ = width;
    surface->height_ = height;

    XStoreName(display, window, "Roamlets");
    XClassHint class_hint{const_cast<char*>("roamlets"), const_cast<char*>("Roamlets")};
    XSetClassHint(display, window, &class_hint);
    surface->delete_atom_ = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &surface->delete_atom_, 1);
  } else {
    const ::Window window = options.surface == Surface::RootWindow ? RootWindow(display, screen) : options.window_id;
    // Selected before the window is looked at: when the look finds it, its
    // end is sure to be told, however soon its owner destroys it.
    XSelectInput(display, window, kAdoptedEvents);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) {
      take_x_error(display);
      error = "there is no window " + hex(window) + " on this display";
      return nullptr;
    }
    if (attributes.c_class == InputOnly) {
      error = "window " + hex(window) + " is an input-only window: nothing can be drawn into it";
      return nullptr;
    }
    visual = visual_of(display, attributes);
    int uses_gl = 0;
    if (visual == nullptr || glXGetConfig(display, visual, GLX_USE_GL, &uses_gl) != 0 || !uses_gl) {
      if (visual != nullptr) XFree(visual);
      error = "OpenGL cannot draw into window " + hex(window) + " (its visual has no OpenGL support)";
      return nullptr;
    }
    surface.reset(new GlxSurface(display, window, false));
    surface->width_ = attributes.width;
    surface->height_ = attributes.height;
  }

  surface->context_ = glXCreateContext(display, visual, nullptr, True);
  XFree(visual);
  if (surface->context_ == nullptr || !glXMakeCurrent(display, surface->window_, surface->context_)) {
    error = "cannot make an OpenGL context current on window " + hex(surface->window_);
    const std::string x_error = take_x_error(display);
    if (!x_error.empty()) error += ": " + x_error;
    return nullptr;
  }
  return surface;
}

GlxSurface::~GlxSurface() {
  if (context_ != nullptr) {
    glXMakeCurrent(display_, None, nullptr);
    glXDestroyContext(display_, context_);
  }
  if (own_) {
    XDestroyWindow(display_, window_);
    if (colormap_ != None) XFreeColormap(display_, colormap_);
  } else {
    XSelectInput(display_, window_, NoEventMask);
  }
  XSync(display_, False);
}

void GlxSurface::map() {
  if (own_) XMapRaised(display_, window_);
}

void GlxSurface::swap() { glXSwapBuffers(display_, window_); }

}  // namespace roamlets::saver
