#include "tools/picture_output.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "settings/temp_files.h"
#include "tools/png_file.h"

namespace roamlets {
namespace {

// The temporary file being written, for the signal handlers: the path is
// changed only while `g_temporary_set` is false, and read only while it is
// true. The handler may run on any thread, Mesa's included.
char g_temporary[PATH_MAX];
std::atomic<bool> g_temporary_set{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read from signal handlers");

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void remove_temporary_and_end(int signal_number) {
  if (g_temporary_set.load()) ::unlink(g_temporary);
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// Temporary files are created readable by the owner only; the picture gets
// the permissions of any new file.
void give_default_permissions(int fd) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
}

bool write_stream(std::FILE* file, int width, int height, const std::vector<std::uint8_t>& rgba,
                  std::string* error) {
  const bool ok = encode_png(file, width, height, rgba, error);
  if (std::fclose(file) != 0 && ok) {
    *error = std::strerror(errno);
    return false;
  }
  return ok;
}

bool write_directly(const std::string& out, int width, int height, const std::vector<std::uint8_t>& rgba,
                    std::string* error) {
  if (out == "-") {
    // Standard output stays open for whatever else is written there.
    return encode_png(stdout, width, height, rgba, error);
  }
  const int fd = ::open(out.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "wb");
  if (file == nullptr) {
    *error = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return false;
  }
  return write_stream(file, width, height, rgba, error);
}

// The picture goes to a temporary file beside `target`, which replaces it
// only once complete.
bool replace_file(const std::string& target, int width, int height, const std::vector<std::uint8_t>& rgba,
                  std::string* error) {
  remove_stale_temps(target);
  TempFile temp;
  if (const int failure = create_temp_beside(target, temp); failure != 0) {
    *error = std::strerror(failure);
    return false;
  }
  if (temp.path.size() < sizeof g_temporary) {
    std::memcpy(g_temporary, temp.path.c_str(), temp.path.size() + 1);
    g_temporary_set = true;
  }
  give_default_permissions(temp.fd);
  std::FILE* file = ::fdopen(temp.fd, "wb");
  bool ok = file != nullptr;
  if (!ok) {
    *error = std::strerror(errno);
    ::close(temp.fd);
  }
  ok = ok && write_stream(file, width, height, rgba, error);
  if (ok && std::rename(temp.path.c_str(), target.c_str()) != 0) {
    *error = std::strerror(errno);
    ok = false;
  }
  if (!ok) ::unlink(temp.path.c_str());
  // Only now: a signal before the rename removes the file, one after it finds
  // no file under that name.
  g_temporary_set = false;
  return ok;
}

}  // namespace

bool is_stream_output(const std::string& out) {
  struct stat info {};
  return out == "-" || (::stat(out.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode));
}

bool write_picture(const std::string& out, int width, int height, const std::vector<std::uint8_t>& rgba,
                   std::string* error) {
  if (is_stream_output(out)) return write_directly(out, width, height, rgba, error);
  struct stat info {};
  if (::stat(out.c_str(), &info) != 0) {
    if (errno != ENOENT) {
      *error = std::strerror(errno);
      return false;
    }
  } else if (S_ISDIR(info.st_mode)) {
    *error = "it is a folder";
    return false;
  } else if (::faccessat(AT_FDCWD, out.c_str(), W_OK, AT_EACCESS) != 0) {
    *error = std::string("it is not replaced, as it may not be written (") + std::strerror(errno) + ")";
    return false;
  }
  return replace_file(follow_links(out), width, height, rgba, error);
}

void remove_temporary_picture_on_signals() {
  for (const int signal_number : kEndSignals) {
    struct sigaction action {};
    if (::sigaction(signal_number, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) continue;
    action = {};
    action.sa_handler = remove_temporary_and_end;
    sigemptyset(&action.sa_mask);
    for (const int other : kEndSignals) sigaddset(&action.sa_mask, other);
    ::sigaction(signal_number, &action, nullptr);
  }
  ::signal(SIGXFSZ, SIG_IGN);
  ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace roamlets
