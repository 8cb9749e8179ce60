#include "x11/posix_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace roamlets::saver {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

int g_write_fd = -1;
volatile sig_atomic_t g_received = 0;
struct sigaction g_previous[sizeof kSignals / sizeof kSignals[0]];
struct sigaction g_previous_alarm;
timer_t g_grace_timer;

extern "C" void on_grace_over(int) { _exit(0); }

extern "C" void on_end_signal(int number) {
  const int saved = errno;
  if (g_received == 0) {
    g_received = number;
    itimerspec grace{};
    grace.it_value.tv_sec = EndSignals::kGraceMs / 1000;
    grace.it_value.tv_nsec = EndSignals::kGraceMs % 1000 * 1000000;
    timer_settime(g_grace_timer, 0, &grace, nullptr);
  }
  const char byte = 1;
  // A full pipe already holds a wake-up; nothing is lost by dropping this one.
  [[maybe_unused]] const ssize_t written = write(g_write_fd, &byte, 1);
  errno = saved;
}

bool make_pipe(int fds[2]) {
  if (pipe(fds) != 0) return false;
  for (int i = 0; i < 2; ++i) {
    fcntl(fds[i], F_SETFD, FD_CLOEXEC);
    fcntl(fds[i], F_SETFL, fcntl(fds[i], F_GETFL) | O_NONBLOCK);
  }
  return true;
}

}  // namespace

bool EndSignals::install() {
  if (installed_) return false;
  sigevent expiry{};
  expiry.sigev_notify = SIGEV_SIGNAL;
  expiry.sigev_signo = SIGALRM;
  if (timer_create(CLOCK_MONOTONIC, &expiry, &g_grace_timer) != 0) return false;
  int fds[2];
  if (!make_pipe(fds)) {
    timer_delete(g_grace_timer);
    return false;
  }
  read_fd_ = fds[0];
  g_write_fd = fds[1];
  g_received = 0;
  struct sigaction alarm {};
  alarm.sa_handler = on_grace_over;
  sigemptyset(&alarm.sa_mask);
  sigaction(SIGALRM, &alarm, &g_previous_alarm);
  struct sigaction action {};
  action.sa_handler = on_end_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) {
    sigaction(kSignals[i], &action, &g_previous[i]);
  }
  installed_ = true;
  return true;
}

int EndSignals::received() const { return g_received; }

EndSignals::~EndSignals() {
  if (!installed_) return;
  for (std::size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) {
    sigaction(kSignals[i], &g_previous[i], nullptr);
  }
  timer_delete(g_grace_timer);
  sigaction(SIGALRM, &g_previous_alarm, nullptr);
  close(read_fd_);
  close(g_write_fd);
  g_write_fd = -1;
}

}  // namespace roamlets::saver
