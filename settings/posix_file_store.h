// The settings store on systems without a registry: the key is one file,
// holding a comment line and then one `NAME=<signed decimal>` line per value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "settings/settings_store.h"

namespace roamlets {

class FileStore final : public SettingsStore {
 public:
  // How long taking the record's lock waits for another save by default.
  static constexpr int kLockWaitMs = 10000;

  explicit FileStore(std::string path, int lock_wait_ms = kLockWaitMs);
  ~FileStore() override;
  FileStore(const FileStore&) = delete;
  FileStore& operator=(const FileStore&) = delete;

  // Loads the file. Fails when it is absent, not a regular file, unreadable or
  // larger than kMaxFileSize. Lines that are not a well-formed value, and
  // values outside 32 bits, are skipped: such values count as absent.
  bool open_for_reading() override;
  bool read_value(const char* name, std::int32_t& value) override;

  // Creates the missing folders, takes the record's lock unless it is held
  // already, and loads the values the file holds, which a save keeps. Fails
  // when the file exists but cannot be read; a file that is too large is
  // replaced as if it held nothing.
  bool open_for_writing() override;
  bool write_value(const char* name, std::int32_t value) override;

  // After writes, replaces the file with the whole record at once: a save
  // that cannot complete, or is cut short, leaves the previous file as it was.
  // Through a symbolic link, the file the link points to is replaced and the
  // link kept. Temporary files that saves which died left beside the record
  // are removed. Gives back the lock that open_for_writing took.
  void close() override;

  // The record's lock: an exclusive flock on `.<name>.lock` beside the
  // record, whose missing folders it makes. Every save holds it from its read to its write, so saves of
  // several programs follow one another; holding it over a load, a change
  // and a save makes them one step that no other save can cut into. Waits
  // up to the store's lock wait for another holder.
  bool lock();
  void unlock();

  // Why the last lock, open for writing or save failed; empty after success.
  const std::string& failure() const { return failure_; }

  static constexpr std::size_t kMaxFileSize = 64 * 1024;

 private:
  enum class Mode { Closed, Reading, Writing };
  enum class Load { Loaded, Missing, TooLarge, Unreadable };

  Load load();
  bool make_folders();
  void commit();

  std::string path_;
  int lock_wait_ms_;
  int lock_fd_ = -1;
  bool lock_for_save_ = false;  // taken by open_for_writing, given back by close
  std::string failure_;
  std::vector<std::pair<std::string, std::int32_t>> values_;
  Mode mode_ = Mode::Closed;
  bool written_ = false;
};

// `<config home>/Vantorix/ScreenSavers/Roamlets.conf`: the settings key path
// below its "Software" root, as folders. The config home is $XDG_CONFIG_HOME
// when that is an absolute path, otherwise `<home>/.config`, the home being
// $HOME when absolute, else the user's entry in the password database. Empty
// when no home can be found.
std::string default_settings_file_path();

}  // namespace roamlets
