#include "settings/posix_file_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>

#include "settings/settings.h"
#include "settings/temp_files.h"
#include "settings/user_store.h"

namespace roamlets {

namespace {

constexpr std::string_view kHeader = "# Roamlets settings, one NAME=<signed decimal> per line\n";

bool is_name(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  });
}

std::string_view trim(std::string_view text) {
  constexpr std::string_view kBlank = " \t\r";
  const std::size_t first = text.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

// A decimal from -2^31 to 2^32 - 1. The upper half is the unsigned reading of
// 32 bits and stands for the same bits as a negative number.
std::optional<std::int32_t> parse_value(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 32) - 1;
  std::int64_t magnitude = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return std::nullopt;
  }
  std::int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) value -= std::int64_t{1} << 32;
  return static_cast<std::int32_t>(value);
}

void set_value(std::vector<std::pair<std::string, std::int32_t>>& values, std::string_view name,
               std::int32_t value) {
  const auto found =
      std::find_if(values.begin(), values.end(), [name](const auto& entry) { return entry.first == name; });
  if (found != values.end()) {
    found->second = value;
  } else {
    values.emplace_back(name, value);
  }
}

// Keeps every well-formed line; for a name given twice the last line counts.
void parse_record(std::string_view text, std::vector<std::pair<std::string, std::int32_t>>& values) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view name = trim(line.substr(0, equals));
    const std::optional<std::int32_t> value = parse_value(trim(line.substr(equals + 1)));
    if (is_name(name) && value) set_value(values, name, *value);
  }
}

bool write_all(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Makes the rename that replaced the file durable, where the system allows.
void sync_folder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::string absolute_env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] == '/' ? value : "";
}

std::string home_folder() {
  std::string home = absolute_env("HOME");
  if (!home.empty()) return home;
  const passwd* entry = ::getpwuid(::getuid());
  if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') return entry->pw_dir;
  return {};
}

}  // namespace

FileStore::FileStore(std::string path, int lock_wait_ms) : path_(std::move(path)), lock_wait_ms_(lock_wait_ms) {}

FileStore::~FileStore() { unlock(); }

bool FileStore::make_folders() {
  // Each missing folder is made in turn; whether that worked shows at the end.
  const std::string folder = folder_of(path_);
  for (std::size_t i = 1; i < folder.size(); ++i) {
    if (folder[i] == '/') ::mkdir(folder.substr(0, i).c_str(), 0700);
  }
  const int made = ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    failure_ = std::string("cannot make its folder: ") + std::strerror(made != 0 ? made : ENOTDIR);
    return false;
  }
  return true;
}

bool FileStore::lock() {
  if (lock_fd_ >= 0) return true;
  if (path_.empty() || path_.back() == '/') {
    failure_ = "no file name";
    return false;
  }
  if (!make_folders()) return false;
  const std::size_t slash = path_.rfind('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  const std::string lock_path = path_.substr(0, base) + '.' + path_.substr(base) + ".lock";
  const int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
  if (fd < 0) {
    failure_ = std::string("cannot open its lock file: ") + std::strerror(errno);
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(lock_wait_ms_);
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      failure_ = std::string("cannot lock its lock file: ") + std::strerror(errno);
      ::close(fd);
      return false;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      failure_ = "another program held its lock file for " + std::to_string(lock_wait_ms_) + " ms";
      ::close(fd);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  lock_fd_ = fd;
  return true;
}

void FileStore::unlock() {
  if (lock_fd_ < 0) return;
  ::close(lock_fd_);
  lock_fd_ = -1;
  lock_for_save_ = false;
}

FileStore::Load FileStore::load() {
  values_.clear();
  // Non-blocking, so that a FIFO in place of the file cannot stall the open.
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? Load::Missing : Load::Unreadable;

  Load result = Load::Unreadable;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    // One byte more than allowed tells a file that is too large.
    std::string text(kMaxFileSize + 1, '\0');
    std::size_t size = 0;
    result = Load::Loaded;
    while (size < text.size()) {
      const ssize_t got = ::read(fd, &text[size], text.size() - size);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) result = Load::Unreadable;
      if (got <= 0) break;
      size += static_cast<std::size_t>(got);
    }
    if (result == Load::Loaded && size > kMaxFileSize) result = Load::TooLarge;
    if (result == Load::Loaded) parse_record(std::string_view(text.data(), size), values_);
  }
  ::close(fd);
  return result;
}

bool FileStore::open_for_reading() {
  mode_ = Mode::Closed;
  written_ = false;
  if (load() != Load::Loaded) return false;
  mode_ = Mode::Reading;
  return true;
}

bool FileStore::read_value(const char* name, std::int32_t& value) {
  if (mode_ != Mode::Reading) return false;
  for (const auto& entry : values_) {
    if (entry.first == name) {
      value = entry.second;
      return true;
    }
  }
  return false;
}

bool FileStore::open_for_writing() {
  mode_ = Mode::Closed;
  written_ = false;
  failure_.clear();
  if (lock_fd_ < 0) {
    if (!lock()) return false;
    lock_for_save_ = true;
  }

  // A file that cannot be read might hold values; only one too large to be a
  // record is replaced.
  if (load() == Load::Unreadable) {
    failure_ = std::string("cannot read it: ") + std::strerror(errno);
    if (lock_for_save_) unlock();
    return false;
  }
  mode_ = Mode::Writing;
  return true;
}

bool FileStore::write_value(const char* name, std::int32_t value) {
  if (mode_ != Mode::Writing || !is_name(name)) return false;
  set_value(values_, name, value);
  written_ = true;
  return true;
}

void FileStore::close() {
  if (mode_ == Mode::Writing && written_) commit();
  if (mode_ == Mode::Writing && lock_for_save_) unlock();
  mode_ = Mode::Closed;
  written_ = false;
  values_.clear();
}

// Writes the record to a new file beside the old one and renames it over the
// old one, so that the file always holds either the old or the new record.
void FileStore::commit() {
  std::string record(kHeader);
  for (const auto& [name, value] : values_) {
    record += name + '=' + std::to_string(value) + '\n';
  }

  const std::string target = follow_links(path_);
  remove_stale_temps(path_);
  if (target != path_) remove_stale_temps(target);
  TempFile temp;
  if (const int error = create_temp_beside(target, temp); error != 0) {
    failure_ = std::string("cannot make a file beside it: ") + std::strerror(error);
    return;
  }
  // A record that exists keeps its permissions.
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::fchmod(temp.fd, info.st_mode & 07777);
  errno = 0;
  bool done = write_all(temp.fd, record) && ::fsync(temp.fd) == 0;
  done = ::close(temp.fd) == 0 && done;
  done = done && std::rename(temp.path.c_str(), target.c_str()) == 0;
  if (!done) {
    failure_ = std::strerror(errno == 0 ? EIO : errno);
    ::unlink(temp.path.c_str());
    return;
  }
  sync_folder(folder_of(target));
}

std::string default_settings_file_path() {
  std::string path = absolute_env("XDG_CONFIG_HOME");
  if (path.empty()) {
    const std::string home = home_folder();
    if (home.empty()) return {};
    path = home + "/.config";
  }
  while (!path.empty() && path.back() == '/') path.pop_back();

  // The config home stands for the key's first part, "Software"; the other
  // parts become folders and the last one the file.
  std::string_view key = kSettingsKeyPath;
  key.remove_prefix(key.find('\\') + 1);
  path += '/';
  for (const char c : key) path += c == '\\' ? '/' : c;
  return path + ".conf";
}

std::unique_ptr<SettingsStore> make_user_settings_store() {
  return std::make_unique<FileStore>(default_settings_file_path());
}

}  // namespace roamlets
