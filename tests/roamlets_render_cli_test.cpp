// roamlets-render as a user runs it: pictures of the requested size, the
// user's stored settings under the options, numbered frame sequences, and
// clean failures.
#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/posix_file_store.h"
#include "settings/settings.h"
#include "tests/run_command.h"

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
    return testing_cli::run_command(prefix + "XDG_CONFIG_HOME='" + (dir_ / "config").string() + "' " +
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
  EXPECT_TRUE(fs::is_empty(dir_ / "taken.png"));

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

}  // namespace
}  // namespace roamlets
