#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>

#include "settings/posix_file_store.h"
#include "settings/settings.h"

namespace roamlets {
namespace {

namespace fs = std::filesystem;

// What a folder holds after saves: the record and its lock file.
const std::set<std::string> kRecordAndLock = {"Roamlets.conf", ".Roamlets.conf.lock"};

bool same(const Settings& a, const Settings& b) {
  return a.VIEW_MODE == b.VIEW_MODE && a.NUM_ROAMLETS == b.NUM_ROAMLETS && a.NUM_CHASERS == b.NUM_CHASERS &&
         a.DENSITY == b.DENSITY && a.LINE_WIDTH == b.LINE_WIDTH && a.STAR_SIZE == b.STAR_SIZE &&
         a.STAR_SMOOTH == b.STAR_SMOOTH && a.FOG_ENABLE == b.FOG_ENABLE;
}

Settings edited() {
  Settings s;
  s.VIEW_MODE = 7;
  s.NUM_ROAMLETS = 100000;
  s.NUM_CHASERS = 0;
  s.DENSITY = -5;
  s.LINE_WIDTH = INT32_MIN;
  s.STAR_SIZE = INT32_MAX;
  s.STAR_SMOOTH = -1;
  s.FOG_ENABLE = 0;
  return s;
}

class FileStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "roamlets_store_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    folder_ = root_ / "config" / "Vantorix" / "ScreenSavers";
    path_ = (folder_ / "Roamlets.conf").string();
  }
  void TearDown() override { fs::remove_all(root_); }

  void write_file(const std::string& text) {
    fs::create_directories(folder_);
    std::ofstream(path_, std::ios::binary) << text;
  }
  std::string read_file() const {
    std::string text(fs::file_size(path_), '\0');
    std::ifstream(path_, std::ios::binary).read(text.data(), static_cast<std::streamsize>(text.size()));
    return text;
  }
  std::set<std::string> folder_entries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  Settings load() {
    Settings settings;
    FileStore store(path_);
    load_settings(settings, store);
    return settings;
  }
  std::optional<std::int32_t> read(const char* name) {
    FileStore store(path_);
    std::int32_t value = 0;
    if (!store.open_for_reading()) return std::nullopt;
    const bool found = store.read_value(name, value);
    store.close();
    return found ? std::optional<std::int32_t>(value) : std::nullopt;
  }
  void save(const Settings& settings) {
    FileStore store(path_);
    save_settings(settings, store);
  }

  // Saves `settings` in a child process whose files may not grow past a few
  // bytes, as on a full disk. Returns the child's wait status.
  int save_with_small_file_limit(const Settings& settings, bool ignore_limit_signal) {
    const pid_t child = ::fork();
    if (child == 0) {
      const rlimit limit{16, 16};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
      ::signal(SIGXFSZ, ignore_limit_signal ? SIG_IGN : SIG_DFL);
      save(settings);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
  }

  fs::path root_;
  fs::path folder_;
  std::string path_;
};

TEST_F(FileStoreTest, SaveCreatesFoldersAndRoundTripsAnyValue) {
  save(edited());
  EXPECT_TRUE(same(load(), edited()));
  EXPECT_EQ(folder_entries(), kRecordAndLock);

  const std::string text = read_file();
  EXPECT_EQ(text.front(), '#');
  EXPECT_NE(text.find("\nLINE_WIDTH=-2147483648\n"), std::string::npos);
  EXPECT_NE(text.find("\nSTAR_SIZE=2147483647\n"), std::string::npos);
  EXPECT_LT(text.find("NUM_ROAMLETS="), text.find("VIEW_MODE="));

  save(Settings{});
  EXPECT_TRUE(same(load(), Settings{}));
}

TEST_F(FileStoreTest, AbsentFileCannotBeOpenedForReading) {
  FileStore store(path_);
  EXPECT_FALSE(store.open_for_reading());
  EXPECT_TRUE(same(load(), Settings{}));
  EXPECT_FALSE(fs::exists(folder_));
}

TEST_F(FileStoreTest, LinesAreParsedLeniently) {
  write_file(
      "# comment\n"
      "\n"
      "  DENSITY =  500 \r\n"
      "NUM_CHASERS=12abc\n"
      "LINE_WIDTH=\n"
      "=5\n"
      "STAR SIZE=3\n"
      "STAR_SMOOTH\n"
      "FOG_ENABLE=+1\n"
      "VIEW_MODE=1\n"
      "VIEW_MODE=000000000000000000002\n"
      "NUM_ROAMLETS=-0");
  Settings expected;
  expected.DENSITY = 500;
  expected.VIEW_MODE = 2;
  expected.NUM_ROAMLETS = 0;
  EXPECT_TRUE(same(load(), expected));
}

TEST_F(FileStoreTest, ValuesOutside32BitsAreAbsent) {
  write_file(
      "NUM_ROAMLETS=4294967296\n"
      "NUM_CHASERS=-2147483649\n"
      "DENSITY=4294967295\n"
      "LINE_WIDTH=2147483648\n"
      "STAR_SIZE=-2147483648\n"
      "FOG_ENABLE=99999999999999999999999999999\n");
  Settings expected;
  expected.DENSITY = -1;
  expected.LINE_WIDTH = INT32_MIN;
  expected.STAR_SIZE = INT32_MIN;
  EXPECT_TRUE(same(load(), expected));
}

TEST_F(FileStoreTest, GarbageCountsAsAbsentValuesAndIsReplaced) {
  std::string garbage;
  for (unsigned i = 0; i < 3000; ++i) garbage += static_cast<char>((i * 97u + 13u) % 256u);
  garbage += "\nDENSITY=5\xff\n";
  write_file(garbage);
  EXPECT_TRUE(same(load(), Settings{}));

  FileStore store(path_);
  save_absent_settings(edited(), store);
  EXPECT_TRUE(same(load(), edited()));
}

TEST_F(FileStoreTest, OversizeFileIsUnreadableButReplacedBySave) {
  std::string text = "DENSITY=500\n";
  text += std::string(FileStore::kMaxFileSize - text.size(), '#');
  write_file(text);
  EXPECT_EQ(load().DENSITY, 500);

  write_file(text + "\n");
  FileStore store(path_);
  EXPECT_FALSE(store.open_for_reading());
  EXPECT_EQ(load().DENSITY, 200);

  save(edited());
  EXPECT_TRUE(same(load(), edited()));
}

TEST_F(FileStoreTest, NonFilesInPlaceOfTheRecordAreLeftAlone) {
  fs::create_directories(path_);
  EXPECT_TRUE(same(load(), Settings{}));
  save(edited());
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_EQ(folder_entries(), kRecordAndLock);
  fs::remove(path_);

  // Opening a FIFO for reading must not wait for a writer.
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  EXPECT_TRUE(same(load(), Settings{}));
  save(edited());
  EXPECT_TRUE(fs::is_fifo(path_));
  fs::remove(path_);

  // A file where a folder should be: the failure says why.
  fs::remove_all(folder_);
  std::ofstream(folder_.string()) << "x";
  FileStore store(path_);
  save_settings(edited(), store);
  EXPECT_NE(store.failure().find("Not a directory"), std::string::npos) << store.failure();
  EXPECT_TRUE(fs::is_regular_file(folder_));
  EXPECT_TRUE(same(load(), Settings{}));

  FileStore nowhere("");
  EXPECT_FALSE(nowhere.open_for_reading());
  EXPECT_FALSE(nowhere.open_for_writing());
}

TEST_F(FileStoreTest, SaveKeepsOtherWellFormedNames) {
  write_file("# old header\nOTHER_VALUE=42\nDENSITY=1\nnot a value\nBIG=4294967295\n");
  save(edited());
  EXPECT_EQ(read("OTHER_VALUE"), 42);
  EXPECT_EQ(read("BIG"), -1);
  EXPECT_EQ(read("DENSITY"), -5);
  EXPECT_EQ(read_file().find("not a value"), std::string::npos);
  EXPECT_TRUE(same(load(), edited()));
}

TEST_F(FileStoreTest, BadNamesAreNotWritten) {
  FileStore store(path_);
  ASSERT_TRUE(store.open_for_writing());
  EXPECT_FALSE(store.write_value("A\nDENSITY", 3));
  EXPECT_FALSE(store.write_value("X=Y", 3));
  EXPECT_FALSE(store.write_value("", 3));
  EXPECT_TRUE(store.write_value("DENSITY", 4));
  store.close();
  EXPECT_EQ(load().DENSITY, 4);
  EXPECT_EQ(read("X"), std::nullopt);
}

TEST_F(FileStoreTest, FullDiskLeavesTheOldRecordAndNoTemporaryFile) {
  save(Settings{});
  const std::string before = read_file();

  const int status = save_with_small_file_limit(edited(), true);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(read_file(), before);
  EXPECT_EQ(folder_entries(), kRecordAndLock);
}

TEST_F(FileStoreTest, CrashDuringSaveLeavesTheOldRecordAndLaterSavesWork) {
  Settings old;
  old.DENSITY = 321;
  save(old);
  const std::string before = read_file();

  const int status = save_with_small_file_limit(edited(), false);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
  EXPECT_EQ(read_file(), before);
  EXPECT_TRUE(same(load(), old));

  // The next save removes what the dead one left, but not a temporary file
  // that a live writer still holds.
  const std::string held = (folder_ / ".Roamlets.conf.Held42").string();
  const int held_fd = ::open(held.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_EQ(::flock(held_fd, LOCK_EX), 0);
  save(edited());
  EXPECT_TRUE(same(load(), edited()));
  std::set<std::string> expected = kRecordAndLock;
  expected.insert(".Roamlets.conf.Held42");
  EXPECT_EQ(folder_entries(), expected);
  ::close(held_fd);
}

TEST_F(FileStoreTest, SavesWaitForTheRecordsLockAndPassItOn) {
  save(Settings{});
  FileStore holder(path_);
  ASSERT_TRUE(holder.lock());
  FileStore impatient(path_, 0);
  save_settings(edited(), impatient);
  EXPECT_NE(impatient.failure().find("lock"), std::string::npos) << impatient.failure();

  // What the holder loads, changes and saves is one step.
  Settings settings;
  load_settings(settings, holder);
  settings.DENSITY = 77;
  save_settings(settings, holder);
  EXPECT_TRUE(holder.failure().empty()) << holder.failure();
  EXPECT_EQ(load().DENSITY, 77);
  holder.unlock();

  save_settings(edited(), impatient);
  EXPECT_TRUE(impatient.failure().empty()) << impatient.failure();
  EXPECT_TRUE(same(load(), edited()));
}

TEST_F(FileStoreTest, SaveThroughALinkReplacesTheLinkedFileAndKeepsTheLink) {
  const fs::path dotfiles = root_ / "dotfiles";
  fs::create_directories(dotfiles);
  std::ofstream(dotfiles / "roamlets.conf") << "DENSITY=9\n";
  fs::permissions(dotfiles / "roamlets.conf", fs::perms(0640));
  fs::create_directories(folder_);
  fs::create_symlink("../../../dotfiles/roamlets.conf", path_);

  save(edited());
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_TRUE(same(load(), edited()));
  EXPECT_EQ(fs::status(dotfiles / "roamlets.conf").permissions(), fs::perms(0640));
  EXPECT_EQ(std::distance(fs::directory_iterator(dotfiles), fs::directory_iterator()), 1);
}

class DefaultPathTest : public testing::Test {
 protected:
  void SetUp() override {
    save("HOME", home_);
    save("XDG_CONFIG_HOME", config_);
    ::setenv("HOME", "/home/user", 1);
  }
  void TearDown() override {
    restore("HOME", home_);
    restore("XDG_CONFIG_HOME", config_);
  }

 private:
  static void save(const char* name, std::optional<std::string>& slot) {
    const char* value = std::getenv(name);
    if (value != nullptr) slot = value;
  }
  static void restore(const char* name, const std::optional<std::string>& slot) {
    if (slot) {
      ::setenv(name, slot->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  std::optional<std::string> home_;
  std::optional<std::string> config_;
};

TEST_F(DefaultPathTest, AbsoluteConfigHomeIsUsed) {
  ::setenv("XDG_CONFIG_HOME", "/srv/cfg", 1);
  EXPECT_EQ(default_settings_file_path(), "/srv/cfg/Vantorix/ScreenSavers/Roamlets.conf");
  ::setenv("XDG_CONFIG_HOME", "/srv/cfg//", 1);
  EXPECT_EQ(default_settings_file_path(), "/srv/cfg/Vantorix/ScreenSavers/Roamlets.conf");
}

TEST_F(DefaultPathTest, UnsetEmptyOrRelativeConfigHomeMeansHomeConfig) {
  const std::string expected = "/home/user/.config/Vantorix/ScreenSavers/Roamlets.conf";
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(default_settings_file_path(), expected);
  ::setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(default_settings_file_path(), expected);
  ::setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
  EXPECT_EQ(default_settings_file_path(), expected);
}

}  // namespace
}  // namespace roamlets
