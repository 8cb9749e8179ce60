#include "settings/temp_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace roamlets {
namespace {

constexpr int kMaxLinks = 40;
constexpr std::string_view kSuffix = "XXXXXX";

std::string name_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The part of a path up to and including its last slash.
std::string folder_prefix(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool is_temp_suffix(std::string_view text) {
  if (text.size() != kSuffix.size()) return false;
  for (const char c : text) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

int lock(int fd) {
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

}  // namespace

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string follow_links(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    char target[PATH_MAX];
    const ssize_t size = ::readlink(current.c_str(), target, sizeof target);
    if (size <= 0 || static_cast<std::size_t>(size) >= sizeof target) return current;
    const std::string link(target, static_cast<std::size_t>(size));
    current = link.front() == '/' ? link : folder_prefix(current) + link;
  }
  return path;
}

int create_temp_beside(const std::string& target, TempFile& temp) {
  // A writer cleaning up can take a file in the moment between its creation
  // and its lock, and remove it; such a file is made again.
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::string path = folder_prefix(target) + '.' + name_of(target) + '.' + std::string(kSuffix);
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = lock(fd);
    struct stat info {};
    if (error == 0 && ::fstat(fd, &info) == 0 && info.st_nlink > 0) {
      temp.fd = fd;
      temp.path = std::move(path);
      return 0;
    }
    ::close(fd);
    if (error != 0) {
      ::unlink(path.c_str());
      return error;
    }
  }
  return EAGAIN;
}

void remove_stale_temps(const std::string& target) {
  DIR* folder = ::opendir(folder_of(target).c_str());
  if (folder == nullptr) return;
  const std::string start = '.' + name_of(target) + '.';
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (name.substr(0, start.size()) != start || !is_temp_suffix(name.substr(start.size()))) continue;
    const int fd = ::openat(::dirfd(folder), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat held {};
    struct stat named {};
    // Still the same file under that name once locked: nobody writes it.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
        held.st_uid == ::geteuid() && ::fstatat(::dirfd(folder), entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_ino == held.st_ino && named.st_dev == held.st_dev) {
      ::unlinkat(::dirfd(folder), entry->d_name, 0);
    }
    ::close(fd);
  }
  ::closedir(folder);
}

}  // namespace roamlets
