// The capture tool's parts that need no display: command line, frame clock,
// statistics, sheet labels, pictures and their comparison. The music cut for
// the video is checked on the video's sound in the GL tests.
#include "cCaptureOptions.h"
#include "cContactSheet.h"
#include "cFrameStats.h"
#include "cFrameStepper.h"
#include "cImageCompare.h"
#include "cRgbImage.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
std::string parse(cCaptureOptions *o, std::vector<const char *> args) {
  args.insert(args.begin(), "demo-capture");
  return o->parse(static_cast<int>(args.size()), args.data());
}

std::vector<capture_frame> all_frames(cFrameStepper stepper) {
  std::vector<capture_frame> frames;
  capture_frame f;
  while (stepper.next(&f))
    frames.push_back(f);
  return frames;
}

cRgbImage filled(int32_t w, int32_t h, uint8_t r, uint8_t g, uint8_t b) {
  cRgbImage img(w, h);
  for (size_t i = 0; i < img.rgb.size(); i += 3)
    img.rgb[i] = r, img.rgb[i + 1] = g, img.rgb[i + 2] = b;
  return img;
}
} // namespace

TEST(CaptureOptions, AcceptsEachOutputWithItsSettings) {
  cCaptureOptions o;
  EXPECT_EQ(parse(&o, {"--at", "2000,500,2000,0", "--out", "shots"}), "");
  EXPECT_EQ(o.at_ms, (std::vector<int32_t>{0, 500, 2000})) << "sorted, duplicates dropped";
  EXPECT_EQ(o.out_dir, "shots");
  EXPECT_FALSE(o.wants_range());
  EXPECT_EQ(o.last_time(), 2000);

  cCaptureOptions v;
  EXPECT_EQ(parse(&v, {"--video=show.mp4", "--fps", "30", "--from", "1000", "--to=5000"}), "");
  EXPECT_EQ(v.video_path, "show.mp4");
  EXPECT_EQ(v.fps, 30);
  EXPECT_EQ(v.from_ms, 1000);
  EXPECT_EQ(v.to_ms, 5000);
  EXPECT_EQ(v.last_time(), 4999) << "--to is exclusive";

  cCaptureOptions s;
  EXPECT_EQ(parse(&s, {"--sheet", "sheet.png", "--every", "30000", "--stats"}), "");
  EXPECT_EQ(s.to_ms, kShowEndMs) << "the range runs to the end of the show by default";
  EXPECT_TRUE(s.stats);
  EXPECT_EQ(s.sheet_times(),
            (std::vector<int32_t>{0, 30000, 60000, 90000, 120000, 150000, 180000, 210000}));
  EXPECT_EQ(s.last_time(), kShowEndMs - 1) << "--stats needs the whole range";

  cCaptureOptions r; // sheet times step from the start of the range
  ASSERT_EQ(parse(&r, {"--sheet", "s.png", "--every", "700", "--from", "1000", "--to", "3100"}),
            "");
  EXPECT_EQ(r.sheet_times(), (std::vector<int32_t>{1000, 1700, 2400}));
  EXPECT_EQ(r.last_time(), 2400) << "a sheet alone stops at its last tile";
}

TEST(CaptureOptions, ShowEndsWhereTheLastSceneEndsTheProgram) {
  // The default range stops at the first demo time at which scene 10 has
  // ended the process, so --stats and the sheet cover every frame it draws.
  EXPECT_TRUE(show_over(kShowEndMs));
  EXPECT_FALSE(show_over(kShowEndMs - 1));
  cCaptureOptions o;
  EXPECT_EQ(parse(&o, {"--stats"}), "");
  EXPECT_EQ(o.to_ms, kShowEndMs);
  EXPECT_EQ(std::string(cCaptureOptions::usage()).find("238775"), std::string::npos)
      << "the help names no copy of its own";
}

TEST(CaptureOptions, RejectsBadCommandLinesWithAReason) {
  const std::vector<std::vector<const char *>> bad = {
      {},
      {"--out", "x"},
      {"--at"},
      {"--at", "1,,2"},
      {"--at", "-5"},
      {"--at", "12ms"},
      {"--at", "99999999999"},
      {"--video", ""},
      {"--sheet", "a.png", "--fps", "0"},
      {"--sheet", "a.png", "--fps", "241"},
      {"--sheet", "a.png", "--every", "0"},
      {"--sheet", "a.png", "--from", "5000", "--to", "5000"},
      {"--stats=yes"},
      {"--frobnicate"},
      {"--at", "10", "extra"},
  };
  for (const auto &args : bad) {
    cCaptureOptions o;
    std::string joined;
    for (const char *a : args)
      joined += std::string(a) + " ";
    EXPECT_NE(parse(&o, args), "") << "accepted: " << joined;
  }
  cCaptureOptions help;
  EXPECT_EQ(parse(&help, {"--help"}), "");
  EXPECT_TRUE(help.help);
  EXPECT_NE(std::string(cCaptureOptions::usage()).find("--video FILE.mp4"), std::string::npos);
}

TEST(FrameStepper, GridIsRoundedDownAndExactTimesSlotIn) {
  EXPECT_EQ(cFrameStepper::grid_time(1, 3), 333);
  EXPECT_EQ(cFrameStepper::grid_time(2, 3), 666);
  EXPECT_EQ(cFrameStepper::grid_time(3, 3), 1000);
  EXPECT_EQ(cFrameStepper::grid_time(5965, 25), 238600);

  std::vector<capture_frame> frames = all_frames(cFrameStepper(3, {500, 333, 500, 1001}, 1001));
  std::vector<int32_t> times;
  std::vector<bool> grid;
  for (const capture_frame &f : frames) {
    times.push_back(f.time_ms);
    grid.push_back(f.on_grid);
  }
  EXPECT_EQ(times, (std::vector<int32_t>{0, 333, 500, 666, 1000, 1001}));
  EXPECT_EQ(grid, (std::vector<bool>{true, true, false, true, true, false}))
      << "a requested grid time is the grid frame, not a second frame";
}

TEST(FrameStepper, StopsAtTheLastTimeNeeded) {
  std::vector<capture_frame> frames = all_frames(cFrameStepper(10, {}, 250));
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames.back().time_ms, 200);
  EXPECT_EQ(all_frames(cFrameStepper(10, {}, 0)).size(), 1u) << "frame 0 always exists";
  EXPECT_EQ(all_frames(cFrameStepper(1, {1500}, 1500)).size(), 3u) << "an extra last frame";
}

TEST(FrameStats, MedianPercentileSlowestFirstAndRate) {
  frame_time_summary odd = cFrameStats::summarize({5, 1, 3});
  EXPECT_EQ(odd.frames, 3u);
  EXPECT_DOUBLE_EQ(odd.median_ms, 3);
  EXPECT_DOUBLE_EQ(odd.p95_ms, 5);
  EXPECT_DOUBLE_EQ(odd.max_ms, 5);
  EXPECT_DOUBLE_EQ(odd.first_ms, 5) << "in the order given, not sorted";
  EXPECT_DOUBLE_EQ(odd.fps, 1000.0 * 3 / 9);

  std::vector<double> hundred;
  for (int i = 100; i >= 1; --i)
    hundred.push_back(i);
  frame_time_summary s = cFrameStats::summarize(hundred);
  EXPECT_DOUBLE_EQ(s.median_ms, 50.5) << "even count: mean of the middle two";
  EXPECT_DOUBLE_EQ(s.p95_ms, 95) << "nearest rank";
  EXPECT_DOUBLE_EQ(s.max_ms, 100) << "the slowest frame, even beyond the percentile";
  EXPECT_EQ(cFrameStats::summarize({}).frames, 0u);
}

TEST(FrameStats, PrintsOneLinePerSceneInIndexOrderThenAll) {
  cFrameStats stats;
  for (auto [scene, ms] : {std::pair{4, 2.0}, {-1, 1.0}, {0, 4.0}, {4, 6.0}})
    stats.add(scene, ms);
  char *text = nullptr;
  size_t size = 0;
  std::FILE *f = open_memstream(&text, &size);
  stats.print(f);
  std::fclose(f);
  std::istringstream lines(std::string(text, size));
  std::free(text);
  std::string line, name;
  std::vector<std::pair<std::string, int>> rows;
  std::getline(lines, line); // header
  for (int frames = 0; lines >> name >> frames; std::getline(lines, line))
    rows.emplace_back(name, frames);
  EXPECT_EQ(rows, (std::vector<std::pair<std::string, int>>{
                      {"none", 1}, {"0", 1}, {"4", 2}, {"all", 4}}));
}

TEST(ContactSheet, LabelsGiveSecondsAndSceneIndex) {
  EXPECT_EQ(cContactSheet::label(0, 0), "0 s \xC2\xB7 scene 0");
  EXPECT_EQ(cContactSheet::label(15360, 1), "15.36 s \xC2\xB7 scene 1");
  EXPECT_EQ(cContactSheet::label(238774, 10), "238.774 s \xC2\xB7 scene 10");
  EXPECT_EQ(cContactSheet::label(40, -1), "0.04 s \xC2\xB7 scene none");
  EXPECT_EQ(cContactSheet::label(120000, 6), "120 s \xC2\xB7 scene 6");
}

TEST(RgbImage, PngRoundTripIsExactAndRepeatable) {
  cRgbImage img(7, 3);
  for (size_t i = 0; i < img.rgb.size(); ++i)
    img.rgb[i] = static_cast<uint8_t>(i * 37);
  const scratch_dir dir("capture_units");
  const std::string a = dir / "a.png", b = dir / "b.png";
  ASSERT_TRUE(img.save_png(a));
  ASSERT_TRUE(img.save_png(b));
  EXPECT_EQ(read_file(a), read_file(b)) << "no time stamps in the file";
  cRgbImage back;
  ASSERT_TRUE(back.load_png(a));
  EXPECT_EQ(back.width, 7);
  EXPECT_EQ(back.height, 3);
  EXPECT_EQ(back.rgb, img.rgb);
  EXPECT_FALSE(back.load_png(dir / "none.png")) << "a missing file fails";
  EXPECT_FALSE(cRgbImage().save_png(dir / "empty.png")) << "an empty picture is not written";
  EXPECT_FALSE(std::filesystem::exists(dir / "empty.png"));
}

TEST(RgbImage, FlipAndShrink) {
  cRgbImage img(4, 2);
  img.pixel(0, 0)[0] = 10; // top left
  img.pixel(0, 1)[0] = 20;
  img.flip_rows();
  EXPECT_EQ(img.pixel(0, 0)[0], 20);
  EXPECT_EQ(img.pixel(0, 1)[0], 10);

  cRgbImage big(4, 4);
  // Block (0,0) holds 0, 0, 255, 255 in red: the average rounds to 128.
  big.pixel(1, 0)[0] = 0;
  big.pixel(0, 1)[0] = 255;
  big.pixel(1, 1)[0] = 255;
  big.pixel(3, 3)[1] = 4; // block (1,1) green: 4 / 4 = 1
  cRgbImage small = big.shrunk(2);
  ASSERT_EQ(small.width, 2);
  ASSERT_EQ(small.height, 2);
  EXPECT_EQ(small.pixel(0, 0)[0], 128);
  EXPECT_EQ(small.pixel(1, 1)[1], 1);
  EXPECT_EQ(small.pixel(1, 0)[0], 0);
  EXPECT_EQ(big.shrunk(1).rgb, big.rgb);
}

TEST(ImageCompare, MeasuresMeanDifferenceAndPixelsOffBeyondTheThreshold) {
  cImageCompare cmp; // threshold 24, limits 1.5 and 1 %
  cRgbImage a = filled(10, 10, 100, 100, 100);
  image_difference same = cmp.compare(a, a);
  EXPECT_TRUE(same.comparable);
  EXPECT_DOUBLE_EQ(same.mean_abs, 0.0);
  EXPECT_EQ(same.pixels_off, 0);
  EXPECT_TRUE(cmp.within_limits(same));

  cRgbImage b = a;
  b.pixel(3, 3)[1] = 100 + 24; // at the threshold: not off
  b.pixel(4, 4)[2] = 100 - 25; // beyond it
  image_difference d = cmp.compare(a, b);
  EXPECT_EQ(d.pixels_off, 1);
  EXPECT_DOUBLE_EQ(d.share_off, 0.01);
  EXPECT_DOUBLE_EQ(d.mean_abs, 49.0 / 300.0);
  EXPECT_TRUE(cmp.within_limits(d)) << "one pixel in a hundred is at the limit";

  b.pixel(5, 5)[0] = 0;
  EXPECT_FALSE(cmp.within_limits(cmp.compare(a, b))) << "two in a hundred is over";

  cRgbImage dim = filled(10, 10, 98, 98, 98); // everywhere off by 2
  image_difference shade = cmp.compare(a, dim);
  EXPECT_EQ(shade.pixels_off, 0);
  EXPECT_DOUBLE_EQ(shade.mean_abs, 2.0);
  EXPECT_FALSE(cmp.within_limits(shade)) << "a shift of the whole picture exceeds the mean";

  EXPECT_FALSE(cmp.compare(a, filled(10, 9, 100, 100, 100)).comparable);
  EXPECT_FALSE(cmp.within_limits(cmp.compare(a, filled(9, 10, 100, 100, 100))));

  cRgbImage diff = cImageCompare::difference_picture(a, b);
  EXPECT_EQ(diff.pixel(4, 4)[2], 100);
  EXPECT_EQ(diff.pixel(5, 5)[0], 255) << "x4, clamped";
  EXPECT_EQ(diff.pixel(0, 0)[0], 0);
}
