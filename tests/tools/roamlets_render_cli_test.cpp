// roamlets-render as a user runs it: pictures of the requested size, the
// user's stored settings under the options, numbered frame sequences,
// pictures wherever the user points (file, link, standard output, FIFO,
// device), clean failures, and nothing left behind by a signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "settings/posix_file_store.h"
#include "settings/settings.h"
#include "tests/tools/run_command.h"

namespace roamlets {
namespace {

namespace fs = std::filesystem;
using testing_cli::CommandResult;

struct Picture {
  bool ok = false;
  int width = 0;
  int height = 0;
  std::vector<png_byte> rgb;
  int lit = 0;
};

Picture read_png(const fs::path& path) {
  Picture picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return picture;
  image.format = PNG_FORMAT_RGB;
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) == 0) return picture;
  picture.ok = true;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
    picture.lit += (picture.rgb[i] | picture.rgb[i + 1] | picture.rgb[i + 2]) != 0 ? 1 : 0;
  }
  return picture;
}

class RenderCli : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "roamlets-render-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the renderer with the settings store in the test's folder.
  CommandResult render(const std::string& args, const std::string& prefix = "") const {
    return testing_cli::run_command(prefix + "env XDG_CONFIG_HOME='" + (dir_ / "config").string() + "' " +
                                    ROAMLETS_RENDER_PATH + " " + args);
  }
  std::string out(const std::string& name) const { return "--out '" + (dir_ / name).string() + "'"; }
  std::vector<fs::path> files() const {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(dir_)) found.push_back(entry.path().filename());
    return found;
  }

  fs::path dir_;
};

TEST_F(RenderCli, BadArgumentsGetUsageAndStatusTwo) {
  const std::string bad[] = {
      "",                                  // no --out
      out("a.png") + " --size 0x10",       // empty picture
      out("a.png") + " --size 8193x10",    // too wide
      out("a.png") + " --size 640",        // not WxH
      out("a.png") + " --size 640x480x3",  // not WxH
      out("a.png") + " --frames 0",        // nothing to draw
      out("a.png") + " --ticks 1000001",   // beyond the bound
      out("a.png") + " --seed -",          // not a number
      out("a.png") + " --mode sideways",   // unknown mode
      out("a.png") + " --fog maybe",       // neither a switch nor a number
      out("a.png") + " --roamlets",        // missing value
      out("a.png") + " --colour red",      // unknown option
  };
  for (const std::string& args : bad) {
    const CommandResult r = render(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.out.find("usage: roamlets-render"), std::string::npos) << args;
  }
  EXPECT_TRUE(files().empty());
  const CommandResult help = render("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--star-smooth"), std::string::npos);
}

TEST_F(RenderCli, UnwritableOutputFailsAndLeavesNothingBehind) {
  const CommandResult no_folder = render("--size 64x48 " + out("missing/a.png"));
  EXPECT_EQ(no_folder.status, 1);
  EXPECT_NE(no_folder.out.find("cannot write"), std::string::npos) << no_folder.out;

  fs::create_directory(dir_ / "taken.png");
  const CommandResult onto_folder = render("--size 64x48 " + out("taken.png"));
  EXPECT_EQ(onto_folder.status, 1);
  EXPECT_NE(onto_folder.out.find("folder"), std::string::npos) << onto_folder.out;
  EXPECT_TRUE(fs::is_empty(dir_ / "taken.png"));

  // A file the user may not write stays as it is (root may write anything,
  // so the case runs as nobody then).
  std::ofstream(dir_ / "locked.png") << "mine";
  fs::permissions(dir_ / "locked.png", fs::perms(0444));
  fs::permissions(dir_, fs::perms::all);
  const CommandResult locked = render(
      "--size 64x48 " + out("locked.png"), ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "");
  EXPECT_EQ(locked.status, 1) << locked.out;
  EXPECT_NE(locked.out.find("Permission denied"), std::string::npos) << locked.out;
  EXPECT_EQ(fs::file_size(dir_ / "locked.png"), 4u);
  fs::remove(dir_ / "locked.png");

  // A disk that fills up part of the way through the picture (4 KiB).
  const CommandResult full = render(out("full.png"), "trap '' XFSZ; ulimit -f 8; ");
  EXPECT_EQ(full.status, 1) << full.out;
  EXPECT_EQ(files(), std::vector<fs::path>{"taken.png"});
}

TEST_F(RenderCli, DrawsEachCameraModeAtTheRequestedSize) {
  std::vector<std::vector<png_byte>> pictures;
  for (const char* mode : {"chase", "rotate", "snapshot"}) {
    const std::string name = std::string(mode) + ".png";
    const CommandResult r = render(out(name) + " --size 320x200 --seed 9 --ticks 20 --mode " + mode);
    ASSERT_EQ(r.status, 0) << r.out;
    const Picture picture = read_png(dir_ / name);
    ASSERT_TRUE(picture.ok) << mode;
    EXPECT_EQ(picture.width, 320);
    EXPECT_EQ(picture.height, 200);
    EXPECT_GT(picture.lit, 200) << mode;
    pictures.push_back(picture.rgb);
  }
  EXPECT_NE(pictures[0], pictures[1]);
  EXPECT_NE(pictures[1], pictures[2]);
  EXPECT_NE(pictures[0], pictures[2]);
}

TEST_F(RenderCli, OptionsOverrideTheUsersStoredSettings) {
  Settings stored;
  stored.VIEW_MODE = static_cast<std::int32_t>(ViewMode::Rotate);
  stored.NUM_CHASERS = 3;
  FileStore store((dir_ / "config/Vantorix/ScreenSavers/Roamlets.conf").string());
  save_settings(stored, store);

  const std::string common = " --size 160x120 --seed 4 --ticks 7";
  ASSERT_EQ(render(out("stored.png") + common).status, 0);
  ASSERT_EQ(render(out("chase.png") + common + " --mode chase").status, 0);
  fs::remove_all(dir_ / "config");
  ASSERT_EQ(render(out("given.png") + common + " --mode rotate --chasers 3").status, 0);

  EXPECT_EQ(read_png(dir_ / "stored.png").rgb, read_png(dir_ / "given.png").rgb);
  EXPECT_NE(read_png(dir_ / "stored.png").rgb, read_png(dir_ / "chase.png").rgb);
}

TEST_F(RenderCli, FramesFollowOneTickApart) {
  const std::string common = " --size 160x120 --seed 11 --mode rotate";
  const CommandResult r = render(out("seq.png") + common + " --ticks 5 --frames 3");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(files().size(), 3u);
  ASSERT_EQ(render(out("single.png") + common + " --ticks 6").status, 0);

  const Picture first = read_png(dir_ / "seq-0001.png");
  const Picture second = read_png(dir_ / "seq-0002.png");
  ASSERT_TRUE(first.ok && second.ok && read_png(dir_ / "seq-0003.png").ok);
  EXPECT_NE(first.rgb, second.rgb);
  EXPECT_EQ(second.rgb, read_png(dir_ / "single.png").rgb);
}

TEST_F(RenderCli, PicturesGoWhereTheyArePointed) {
  // A link stays a link; a temporary file a dead render left beside the
  // picture goes.
  fs::create_directory(dir_ / "pictures");
  std::ofstream(dir_ / "pictures" / ".a.png.Stale1") << "partial";
  fs::create_symlink("pictures/a.png", dir_ / "link.png");
  ASSERT_EQ(render("--size 64x48 " + out("link.png")).status, 0);
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.png"));
  EXPECT_TRUE(read_png(dir_ / "pictures" / "a.png").ok);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "pictures"), fs::directory_iterator()), 1);

  // Standard output gets every frame, and no file names.
  const std::string piped = (dir_ / "piped.png").string();
  ASSERT_EQ(render("--size 64x48 --frames 2 --out - | cat > '" + piped + "'").status, 0);
  EXPECT_TRUE(read_png(piped).ok);
  std::string bytes(fs::file_size(piped), '\0');
  std::ifstream(piped, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  EXPECT_NE(bytes.find("\x89PNG", 1), std::string::npos) << "one picture only";

  // A FIFO with a reader waiting stays a FIFO, and the reader gets the picture.
  const fs::path fifo = dir_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const CommandResult through_fifo = render("--size 64x48 " + out("fifo") + "; status=$?; wait; exit $status",
                                            "cat '" + fifo.string() + "' > '" + (dir_ / "read.png").string() + "' & ");
  EXPECT_EQ(through_fifo.status, 0) << through_fifo.out;
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(read_png(dir_ / "read.png").ok);
}

TEST_F(RenderCli, WritesIntoACharacterDeviceOfItsOwn) {
  const fs::path null_device = dir_ / "null";
  if (::mknod(null_device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "cannot make a character device here (needs root): " << std::strerror(errno);
  }
  const CommandResult r = render("--size 64x48 --frames 2 " + out("null"));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(fs::is_character_file(null_device));
}

TEST_F(RenderCli, ASignalRemovesThePictureInProgress) {
  const std::string config = "XDG_CONFIG_HOME=" + (dir_ / "config").string();
  const std::string target = (dir_ / "big.png").string();
  const auto temporaries = [this] {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) count += entry.path().filename().string().rfind(".big-", 0) == 0;
    return count;
  };
  // A picture being written: its file has content, so the run has told its
  // signal handlers which file to remove (it does so right after creating it).
  const auto writing = [this] {
    for (const auto& entry : fs::directory_iterator(dir_)) {
      std::error_code error;
      const bool ours = entry.path().filename().string().rfind(".big-", 0) == 0;
      if (ours && fs::file_size(entry.path(), error) > 0 && !error) return true;
    }
    return false;
  };
  for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal_number);
    const char* argv[] = {ROAMLETS_RENDER_PATH, "--size", "4096x4096", "--frames", "100000", "--out",
                          target.c_str(), nullptr};
    char* envp[] = {const_cast<char*>(config.c_str()), nullptr};
    pid_t child = 0;
    ASSERT_EQ(::posix_spawn(&child, argv[0], nullptr, nullptr, const_cast<char**>(argv), envp), 0);
    const std::unique_ptr<pid_t, void (*)(pid_t*)> ender(&child, [](pid_t* pid) {
      if (*pid > 0) {
        ::kill(*pid, SIGKILL);
        ::waitpid(*pid, nullptr, 0);
      }
    });
    // Caught, and held still, while it writes a picture.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    bool caught = false;
    while (!caught && std::chrono::steady_clock::now() < deadline) {
      if (!writing()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      ::kill(child, SIGSTOP);
      int status = 0;
      ::waitpid(child, &status, WUNTRACED);
      caught = writing();
      if (!caught) ::kill(child, SIGCONT);
    }
    ASSERT_TRUE(caught) << "no picture in progress within two minutes";
    ::kill(child, signal_number);
    ::kill(child, SIGCONT);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    child = 0;  // nothing left to end (kill(0) would reach the test's own group)
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
    EXPECT_EQ(temporaries(), 0);
  }
}

TEST_F(RenderCli, OutOfMemoryIsAMessage) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer cannot run under a memory limit";
#else
  for (const char* limit : {"1500000", "1000000", "600000"}) {
    const CommandResult r = render("--size 8192x8192 " + out("huge.png"), std::string("ulimit -v ") + limit + "; ");
    EXPECT_EQ(r.status, 1) << limit << ": " << r.out;
    EXPECT_NE(r.out.find("out of memory"), std::string::npos) << limit << ": " << r.out;
  }
  EXPECT_TRUE(files().empty());
#endif
}

TEST_F(RenderCli, ProgressShowsOnATerminalOnly) {
  const std::string args = "--size 64x48 --ticks 100 --frames 2 " + out("p.png");
  EXPECT_EQ(render(args).out.find('\r'), std::string::npos);
  // script(1) gives the run a terminal.
  const CommandResult on_terminal = testing_cli::run_command(
      "XDG_CONFIG_HOME='" + (dir_ / "config").string() + "' script -qec \"" + ROAMLETS_RENDER_PATH + " " + args +
      "\" /dev/null");
  EXPECT_EQ(on_terminal.status, 0) << on_terminal.out;
  EXPECT_NE(on_terminal.out.find("\rroamlets-render: tick 0 of 100"), std::string::npos) << on_terminal.out;
}

}  // namespace
}  // namespace roamlets
