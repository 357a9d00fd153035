// Visual regression: the show is captured at the times listed in
// reference/frames.txt and each frame is compared with its committed
// reference picture within a tolerance; both measures are printed per frame.
// scripts/refresh-references.sh rewrites the references on purpose.
#include "cImageCompare.h"
#include "cRgbImage.h"
#include "support/demo_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
const std::string kCapture = DEMO_CAPTURE;
const std::string kReferenceDir = REFERENCE_DIR;
// Captured frames and difference pictures stay here for a look after a run.
const std::string kOutputDir = DEMO_BINARY_DIR "/tests/capture/visual-regression";

struct reference_frame {
  int32_t ms = 0;
  cImageCompare limits;
};

struct reference_list {
  int32_t fps = 0;
  int32_t shrink = 0;
  std::vector<reference_frame> frames;
  std::string error;
};

// "fps N", "shrink N", then one line per frame: MS, optionally followed by
// its own threshold, largest mean difference and largest share off (%).
reference_list read_reference_list(const std::string &path) {
  reference_list list;
  std::ifstream in(path);
  if (!in) {
    list.error = "cannot read " + path;
    return list;
  }
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string first;
    if (!(fields >> first) || first[0] == '#')
      continue;
    if (first == "fps" || first == "shrink") {
      fields >> (first == "fps" ? list.fps : list.shrink);
      continue;
    }
    reference_frame frame;
    frame.ms = std::atoi(first.c_str());
    double share_percent = frame.limits.max_share_off * 100.0;
    if (fields >> frame.limits.threshold >> frame.limits.max_mean_abs >> share_percent)
      frame.limits.max_share_off = share_percent / 100.0;
    list.frames.push_back(frame);
  }
  if (list.fps <= 0 || list.shrink <= 0 || list.frames.empty())
    list.error = path + " needs fps, shrink and at least one time";
  return list;
}
} // namespace

TEST(VisualRegression, ShowMatchesTheReferencePictures) {
  reference_list list = read_reference_list(kReferenceDir + "/frames.txt");
  ASSERT_EQ(list.error, "");
  ASSERT_TRUE(fs::exists(DEMO_SOURCE_DIR "/data/markers.txt"))
      << "the show's data is missing: cmake --build <build dir> --target data";

  // A tree like the checkout's: run/ beside the real data and sources.
  VirtualDisplay display;
  ASSERT_TRUE(display.ok()) << "no Xvfb";
  DemoTree tree;
  fs::remove_all(tree.data()); // the links DemoTree made, not what they point at
  fs::create_directory_symlink(DEMO_SOURCE_DIR "/data", tree.data());
  fs::remove_all(kOutputDir);
  fs::create_directories(kOutputDir);

  std::string times;
  for (const reference_frame &f : list.frames)
    times += (times.empty() ? "" : ",") + std::to_string(f.ms);
  tool_result r = run_to_end(tree, display, kCapture,
                             {"--at", times, "--out", kOutputDir, "--fps", std::to_string(list.fps),
                              "--shrink", std::to_string(list.shrink)},
                             600);
  ASSERT_EQ(r.status, 0) << r.err;

  int failed = 0;
  for (const reference_frame &f : list.frames) {
    const std::string name = capture_frame_name(f.ms);
    cRgbImage expected, actual;
    ASSERT_TRUE(expected.load_png(kReferenceDir + "/" + name))
        << "no reference for " << f.ms << " ms: run scripts/refresh-references.sh";
    ASSERT_TRUE(actual.load_png(kOutputDir + "/" + name)) << r.err;
    image_difference d = f.limits.compare(expected, actual);
    ASSERT_TRUE(d.comparable) << name << ": " << actual.width << "x" << actual.height
                              << ", reference " << expected.width << "x" << expected.height;
    bool ok = f.limits.within_limits(d);
    std::printf("%s: mean abs difference %.3f (limit %.3f), pixels off by more than %d: %.3f%% "
                "(limit %.3f%%): %s\n",
                name.c_str(), d.mean_abs, f.limits.max_mean_abs, f.limits.threshold,
                100.0 * d.share_off, 100.0 * f.limits.max_share_off, ok ? "ok" : "DIFFERENT");
    if (!ok) {
      ++failed;
      cImageCompare::difference_picture(expected, actual).save_png(kOutputDir + "/diff-" + name);
    }
    EXPECT_TRUE(ok) << name << " differs from its reference; see " << kOutputDir << " (diff-"
                    << name << "), or refresh on purpose with "
                    << "scripts/refresh-references.sh";
  }
  std::printf("%zu frames compared, %d beyond the tolerance\n", list.frames.size(), failed);
}
