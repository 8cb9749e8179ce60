// roamlets: the scene on X, in a window of its own, over the whole screen, or
// as a screen-saver hack in the window the daemon gives it.
//
// As in a saver run on Windows: the settings are loaded, the window and its
// OpenGL context made, the scene initialised (render state, star field, scene
// model, fog) and given the window's size, and the first frame drawn at once;
// then two independent 33 ms timers step the simulation and draw frames, both
// from the one event loop, so a tick and a frame never overlap. A full-screen
// run closes by the saver's close rules; every run ends cleanly on SIGTERM,
// SIGINT and SIGHUP.

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <new>
#include <string>

#include "saver/close_rules.h"
#include "x11/run_options.h"
#include "saver/host_state.h"
#include "x11/posix_signals.h"
#include "saver/saver_run.h"
#include "x11/timer_schedule.h"
#include "x11/x11_input.h"
#include "x11/x11_surface.h"
#include "render/address_space.h"
#include "render/gl.h"
#include "scene/scene_driver.h"
#include "settings/posix_file_store.h"
#include "settings/ranges.h"
#include "settings/settings.h"
#include "settings/user_store.h"
#include "cli/quoted.h"

namespace roamlets::saver {
namespace {

std::int64_t now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The configuration dialog's OK on the command line: the stored record,
// brought into the dialog's ranges, with the setting options on top. The
// record's lock is held from the read to the read back that tells whether the
// save took, so that another save can neither slip in between nor replace
// these values before they are seen in the file.
int save(const RunOptions& options) {
  const std::string path = default_settings_file_path();
  if (path.empty()) {
    std::fprintf(stderr, "roamlets: could not save the settings: no home folder (set HOME or XDG_CONFIG_HOME)\n");
    return 1;
  }
  FileStore store(path);
  std::string failure;
  if (store.lock()) {
    Settings settings;
    load_settings(settings, store);
    clamp_to_dialog_ranges(settings);
    options.apply_overrides(settings);
    save_settings(settings, store);
    failure = store.failure();

    Settings stored;
    stored.VIEW_MODE = ~settings.VIEW_MODE;  // a value the load must replace
    load_settings(stored, store);
    if (failure.empty() && stored != settings) failure = "the file does not hold them after the save";
    store.unlock();
  } else {
    failure = store.failure();
  }
  if (!failure.empty()) {
    std::fprintf(stderr, "roamlets: could not save the settings to %s: %s\n", quoted(path).c_str(), failure.c_str());
    return 1;
  }
  std::printf("roamlets: settings saved to %s\n", path.c_str());
  return 0;
}

// One run on an open display, until it closes or a signal ends it.
class Run {
 public:
  Run(Display* display, GlxSurface& surface, const RunOptions& options, EndSignals& signals,
      SaverRun& run)
      : display_(display),
        surface_(surface),
        options_(options),
        signals_(signals),
        pointer_(display, surface.window()),
        run_(run) {}

  // Runs until the run ends: 0, or 1 (with a message) when the renderer ran
  // out of memory.
  int loop() {
    if (!address_space_free(renderer_needs())) {
      std::fprintf(stderr, "roamlets: out of memory: not enough left for the renderer\n");
      return 1;
    }
    run_.start(options_.seed.value_or(calendar_seed()));
    resize(surface_.width(), surface_.height());
    if (renderer_out_of_memory()) return 1;
    const std::int64_t start = now_ms();
    timers_.start(Timer::Frame, start, kTimerPeriodMs);
    timers_.start(Timer::Tick, start, kTimerPeriodMs);
    surface_.map();
    // The first frame at once rather than a period later: the root and a
    // daemon's window are up already and send no Expose to draw it.
    draw();
    if (renderer_out_of_memory()) return 1;

    while (!done_) {
      // Checked on every pass: a loop kept busy by slow frames never waits.
      if (signals_.received() != 0) break;
      XEvent event;
      while (!done_ && next_event(event)) handle(event);
      if (done_) break;
      const std::int64_t now = now_ms();
      if (const std::optional<Timer> due = timers_.take_due(now)) {
        if (*due == Timer::Tick) {
          run_.tick();
        } else {
          draw();
          if (renderer_out_of_memory()) return 1;
        }
        continue;
      }
      wait(timers_.wait(now).value_or(kTimerPeriodMs));
    }
    return 0;
  }

 private:
  // What the renderer may still take once its context is made, with room to
  // spare, in bytes: the star field's lists (measured at 77 bytes a star), the
  // window's buffers (colour, depth and the image sent to the server: 12
  // bytes a pixel) and its working memory.
  std::size_t renderer_needs() const {
    constexpr std::size_t kPerStar = 128;
    constexpr std::size_t kPerPixel = 16;
    constexpr std::size_t kWorking = std::size_t{32} << 20;
    const std::size_t stars = 337500u / static_cast<std::size_t>(std::max(run_.settings().DENSITY, 1)) + 1;
    const auto side = [](int pixels) {
      return static_cast<std::size_t>(std::clamp(pixels, 1, kMaxWindowSide));
    };
    return kWorking + kPerStar * stars + kPerPixel * side(surface_.width()) * side(surface_.height());
  }

  // OpenGL reports memory it could not get as an error and draws without it:
  // the star field, a frame's work, the window's buffers. Takes every error
  // OpenGL holds.
  static bool renderer_out_of_memory() {
    bool out = false;
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError())
      out = out || error == GL_OUT_OF_MEMORY;
    if (out)
      std::fprintf(stderr, "roamlets: out of memory: the renderer could not get the memory it needs\n");
    return out;
  }

  // A window larger than the renderer draws (another program's, which can
  // grow at any time) is drawn in its corner at the largest size.
  void resize(int width, int height) {
    run_.resize(std::min(width, kMaxWindowSide), std::min(height, kMaxWindowSide));
  }

  // A frame can take seconds in software OpenGL. One drawn while the run is
  // to end is given up between its pieces and never shown, so the end comes
  // at once.
  void draw() {
    if (run_.frame([this] { return end_waiting(); })) surface_.swap();
  }

  // The next event: one read ahead while a frame was drawn, or one from the
  // X library's queue.
  bool next_event(XEvent& event) {
    if (!read_ahead_.empty()) {
      event = read_ahead_.front();
      read_ahead_.pop_front();
      return true;
    }
    if (XPending(display_) == 0) return false;
    XNextEvent(display_, &event);
    return true;
  }

  // Whether a signal has arrived or an event waiting from the X server ends
  // the run. Reads what the server has sent without waiting for more, and
  // keeps it, in order, for the loop.
  bool end_waiting() {
    if (signals_.received() != 0) return true;
    while (XEventsQueued(display_, QueuedAfterReading) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      read_ahead_.push_back(event);
    }
    for (const XEvent& event : read_ahead_) {
      if (ends_run(event)) return true;
    }
    return false;
  }

  // Whether handling the event would end the run; changes nothing.
  bool ends_run(const XEvent& event) const {
    if (event.xany.window != surface_.window()) return false;
    switch (event.type) {
      case DestroyNotify:
        return true;
      case ClientMessage:
        return static_cast<Atom>(event.xclient.data.l[0]) == surface_.delete_atom();
      case KeyPress:
        if (options_.surface == Surface::OwnWindow) return is_close_key(event.xkey);
        break;
      default:
        break;
    }
    if (options_.surface != Surface::FullScreen) return false;
    const std::optional<InputEvent> input = input_of(event);
    return input && would_close(state_, *input);
  }

  static bool is_close_key(XKeyEvent key) {
    const KeySym sym = XLookupKeysym(&key, 0);
    return sym == XK_Escape || sym == XK_q;
  }

  // Sleeps until an event, a signal or the next timer.
  void wait(std::int64_t timeout) {
    pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {signals_.fd(), POLLIN, 0}};
    XFlush(display_);
    poll(fds, 2, static_cast<int>(timeout));
  }

  void handle(const XEvent& event) {
    if (event.xany.window != surface_.window()) return;
    switch (event.type) {
      case ConfigureNotify:
        resize(event.xconfigure.width, event.xconfigure.height);
        break;
      case Expose:
        if (event.xexpose.count == 0) draw();
        break;
      case DestroyNotify:
        done_ = true;  // the daemon's window went away
        break;
      case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == surface_.delete_atom()) done_ = true;
        break;
      case KeyPress:
        if (options_.surface == Surface::OwnWindow && is_close_key(event.xkey)) done_ = true;
        break;
      default:
        break;
    }
    if (options_.surface == Surface::FullScreen) judge(event);
  }

  // A full-screen run closes by the saver's close rules.
  void judge(const XEvent& event) {
    if (event.type == MapNotify) take_screen();
    const std::optional<InputEvent> input = input_of(event);
    if (!input) return;
    const CloseAction action = judge_input(state_, *input);
    if (action.hide_cursor) pointer_.hide();
    if (action.close) done_ = true;
  }

  // The window is up: movement counts from where the pointer is now, and
  // keys come here whichever window had them.
  void take_screen() {
    if (const std::optional<Point> position = pointer_.position()) state_.cursor_origin = *position;
    XSetInputFocus(display_, surface_.window(), RevertToParent, CurrentTime);
    XGrabKeyboard(display_, surface_.window(), True, GrabModeAsync, GrabModeAsync, CurrentTime);
  }

  Display* display_;
  GlxSurface& surface_;
  const RunOptions& options_;
  EndSignals& signals_;
  X11Pointer pointer_;
  HostState state_;
  SaverRun& run_;
  TimerSchedule timers_;
  std::deque<XEvent> read_ahead_;
  bool done_ = false;
};

int run(int argc, char** argv) {
  RunOptions options;
  std::string error;
  switch (parse_run_options(argc, argv, std::getenv("XSCREENSAVER_WINDOW"), options, error)) {
    case RunOptionsParse::Help:
      std::fputs(run_options_usage().c_str(), stdout);
      return 0;
    case RunOptionsParse::Bad:
      std::fprintf(stderr, "roamlets: %s\n%s", error.c_str(), run_options_usage().c_str());
      return 2;
    case RunOptionsParse::Run:
      break;
  }
  if (options.save_settings) return save(options);

  // The options apply to this run only: the run writes nothing back.
  ProcessRecords records;
  SaverRun saver_run(records, EndOfRunSave::Nothing);
  saver_run.load(*make_user_settings_store());
  options.apply_overrides(saver_run.settings());

  EndSignals signals;
  if (!signals.install()) {
    std::perror("roamlets: cannot watch for signals");
    return 1;
  }
  const char* display_name = options.display.empty() ? std::getenv("DISPLAY") : options.display.c_str();
  Display* display = XOpenDisplay(display_name);
  if (display == nullptr) {
    if (display_name == nullptr || *display_name == '\0') {
      std::fprintf(stderr, "roamlets: no X display: DISPLAY is not set (or give --display NAME)\n");
    } else {
      std::fprintf(stderr, "roamlets: cannot open X display %s\n", quoted(display_name).c_str());
    }
    return 1;
  }
  keep_running_on_x_errors();

  int status = 1;
  if (std::unique_ptr<GlxSurface> surface = GlxSurface::create(display, options, error)) {
    status = Run(display, *surface, options, signals, saver_run).loop();
    saver_run.end(*make_user_settings_store());
  } else {
    std::fprintf(stderr, "roamlets: %s\n", error.c_str());
  }
  XCloseDisplay(display);
  return status;
}

}  // namespace
}  // namespace roamlets::saver

int main(int argc, char** argv) {
  try {
    return roamlets::saver::run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("roamlets: out of memory\n", stderr);
    return 1;
  }
}
