// The capture tool run under its own Xvfb through capture-probe, whose scenes
// paint their demo time and index as a colour: exact frame times, repeatable
// output, restarts, the contact sheet, the video with its music, the
// statistics and the show ending the process.
#include "cRgbImage.h"
#include "probe_colour.h"
#include "support/demo_process.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
const std::string kProbe = CAPTURE_PROBE;

// Four seconds of music: silent for the first second, then a loud tone, so
// that the music's position in a video can be told from its loudness.
bool make_music(const std::string &path) {
  std::string cmd = "ffmpeg -loglevel error -y -f lavfi -i 'sine=frequency=440:duration=4' "
                    "-af \"volume=6,volume=enable='lt(t,1)':volume=0\" -ac 2 -ar 44100 "
                    "-c:a libvorbis '" +
                    path + "'";
  return std::system(cmd.c_str()) == 0;
}

const char kTimeline[] = "m_start 00:00:00.000\n"
                         "s00 00:00:00.000\n"
                         "bd 00:00:00.500\n"
                         "s01 00:00:01.000\n"
                         "s03 00:00:02.000\n"
                         "s02 00:00:02.500\n";

// Loudness (RMS of 16-bit samples, 0..1) of the stretches of a video's
// sound track, decoded to mono 8 kHz.
std::vector<double> loudness(const std::string &video, const std::vector<double> &from_s,
                             const std::vector<double> &to_s) {
  std::string raw = video + ".pcm";
  std::string cmd =
      "ffmpeg -loglevel error -y -i '" + video + "' -map 0:a -ac 1 -ar 8000 -f s16le '" + raw + "'";
  std::vector<double> out;
  if (std::system(cmd.c_str()) != 0)
    return out;
  std::string pcm = read_file(raw);
  const int16_t *samples = reinterpret_cast<const int16_t *>(pcm.data());
  size_t count = pcm.size() / 2;
  for (size_t i = 0; i < from_s.size(); ++i) {
    size_t a = static_cast<size_t>(from_s[i] * 8000), b = static_cast<size_t>(to_s[i] * 8000);
    double sum = 0;
    size_t n = 0;
    for (size_t k = a; k < b && k < count; ++k, ++n)
      sum += (samples[k] / 32768.0) * (samples[k] / 32768.0);
    out.push_back(n ? std::sqrt(sum / n) : -1.0);
  }
  return out;
}

std::string probe(const std::string &video, const std::string &entries) {
  std::string out = video + ".probe.txt";
  std::string cmd = "ffprobe -v error -count_frames -show_entries " + entries +
                    " -of default=noprint_wrappers=1 '" + video + "' > '" + out + "'";
  return std::system(cmd.c_str()) == 0 ? read_file(out) : std::string();
}

// Frame counts per scene name from the --stats table.
std::map<std::string, int> stats_counts(const std::string &out) {
  std::map<std::string, int> counts;
  std::istringstream lines(out);
  std::string line;
  bool in_table = false;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string name, second;
    fields >> name >> second;
    if (name == "scene" && second == "frames") {
      in_table = true;
      continue;
    }
    if (in_table && !second.empty())
      counts[name] = std::atoi(second.c_str());
  }
  return counts;
}

struct frame_expectation {
  int32_t at, demo_ms, scene;
};

struct CaptureProbe : testing::Test {
  VirtualDisplay display;
  DemoTree tree;
  std::string out_dir;

  void SetUp() override {
    ASSERT_TRUE(display.ok()) << "no Xvfb";
    ASSERT_TRUE(make_music(tree.data() + "/demo-full.ogg"))
        << "ffmpeg could not make the test music";
    tree.write_file("data/markers.txt", kTimeline);
    out_dir = tree.root + "/out";
  }

  tool_result capture(const std::vector<std::string> &args) {
    return run_to_end(tree, display, kProbe, args, 180);
  }

  // Each frame written for --at shows its demo time and scene.
  template <size_t n> void expect_frames(const frame_expectation (&cases)[n]) {
    for (const frame_expectation &e : cases) {
      probe_colour got = frame_colour(out_dir + "/" + capture_frame_name(e.at));
      EXPECT_EQ(got.time_ms(), e.demo_ms) << "at " << e.at;
      EXPECT_EQ(got.scene(), e.scene) << "at " << e.at;
    }
  }

  // The colour of a frame file's centre, checked to be flat over the frame.
  probe_colour frame_colour(const std::string &path) {
    cRgbImage img;
    EXPECT_TRUE(img.load_png(path)) << path;
    if (img.width <= 0)
      return {255, 255, 255};
    EXPECT_EQ(img.width, 800);
    EXPECT_EQ(img.height, 600);
    const uint8_t *c = img.pixel(img.width / 2, img.height / 2);
    probe_colour centre{c[0], c[1], c[2]};
    const uint8_t *corner = img.pixel(0, img.height - 1);
    EXPECT_EQ((probe_colour{corner[0], corner[1], corner[2]}), centre) << path;
    return centre;
  }
};
} // namespace

TEST_F(CaptureProbe, FramesShowExactlyTheRequestedTimes) {
  // 4 fps: grid frames every 250 ms, the others are extra frames.
  tool_result r =
      capture({"--at", "0,40,1000,1234,2000,2001,2600,70001", "--out", out_dir, "--fps", "4"});
  ASSERT_EQ(r.status, 0) << r.err;
  const frame_expectation cases[] = {
      {0, 0, -1},       // the restart frame: s00 at 0 falls due once time has passed
      {40, 40, 0},      // an extra frame dispatches s00 itself
      {1000, 1000, 0},  // s01 at 1000 is not due at 1000
      {1234, 1234, 1},  // ... but at the next frame
      {2000, 2000, 1},  //
      {2600, 2600, 2},  // s03 (empty) at 2000, then s02 at 2500
      {70001, 70001, 2} // beyond 16 bits of red and green
  };
  expect_frames(cases);
  // The empty scene 3 draws nothing: the cleared frame.
  EXPECT_EQ(frame_colour(out_dir + "/" + capture_frame_name(2001)), (probe_colour{0, 0, 0}));
  EXPECT_NE(r.err.find("capture: 8 frames"), std::string::npos) << r.err;
}

TEST_F(CaptureProbe, ContactSheetHoldsEveryTileInOrderAndRunsRepeatExactly) {
  // The same command twice writes the same bytes: frames and sheet.
  std::vector<std::string> first;
  const std::vector<std::string> files = {capture_frame_name(500), capture_frame_name(1234),
                                          "sheet.png"};
  for (int run = 0; run < 2; ++run) {
    fs::remove_all(out_dir);
    tool_result r =
        capture({"--at", "500,1234", "--out", out_dir, "--sheet", out_dir + "/sheet.png", "--every",
                 "500", "--to", "3000", "--columns", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("contact sheet: 6 frames"), std::string::npos) << r.err;
    for (size_t i = 0; i < files.size(); ++i) {
      const std::string bytes = read_file(out_dir + "/" + files[i]);
      ASSERT_FALSE(bytes.empty()) << files[i];
      if (run == 0)
        first.push_back(bytes);
      else
        EXPECT_EQ(bytes, first[i]) << files[i] << " differs between runs";
    }
  }
  cRgbImage sheet;
  ASSERT_TRUE(sheet.load_png(out_dir + "/sheet.png"));
  // Quarter-size tiles with borders and a label line, three to a row.
  EXPECT_GE(sheet.width, 3 * 200);
  EXPECT_LT(sheet.width, 3 * 200 + 60);
  EXPECT_GE(sheet.height, 2 * 150 + 2 * 12);
  // Tiles at 0.5, 1, 1.5 and 2 s carry their colour; 0 s and 2.5 s (the
  // empty scene 3) are black. Each colour's first row tells the tile's row.
  const std::pair<probe_colour, int> tiles[] = {{probe_colour::of(500, 0), 0},
                                                {probe_colour::of(1000, 0), 0},
                                                {probe_colour::of(1500, 1), 1},
                                                {probe_colour::of(2000, 1), 1}};
  int first_row[4] = {-1, -1, -1, -1};
  int first_x[4] = {-1, -1, -1, -1};
  for (int32_t y = 0; y < sheet.height; ++y)
    for (int32_t x = 0; x < sheet.width; ++x) {
      const uint8_t *p = sheet.pixel(x, y);
      for (int i = 0; i < 4; ++i)
        if (first_row[i] < 0 && probe_colour{p[0], p[1], p[2]} == tiles[i].first) {
          first_row[i] = y;
          first_x[i] = x;
        }
    }
  for (int i = 0; i < 4; ++i)
    ASSERT_GE(first_row[i], 0) << "tile " << i << " missing";
  EXPECT_EQ(first_row[0], first_row[1]);
  EXPECT_EQ(first_row[2], first_row[3]);
  EXPECT_GT(first_row[2], first_row[0] + 150);
  EXPECT_LT(first_x[0], first_x[1]) << "0.5 s left of 1 s";
  EXPECT_LT(first_x[2], first_x[3]);
}

TEST_F(CaptureProbe, RestartMidShowFollowsTheTimeline) {
  // A second restart at 1.5 s: demo time starts again at 0 and s02, written
  // as 2 s, falls due 2 s after it. The video's music starts again with it.
  tree.write_file("data/markers.txt", "m_start 00:00:00.000\ns00 00:00:00.000\n"
                                      "s01 00:00:01.000\nm_start 00:00:01.500\n"
                                      "s02 00:00:02.000\n");
  fs::create_directories(out_dir);
  tool_result r = capture({"--at", "1500,1600,1650,3600,3601,3700", "--out", out_dir, "--fps", "10",
                           "--video", out_dir + "/restart.mp4", "--from", "1000", "--to", "3000"});
  ASSERT_EQ(r.status, 0) << r.err;
  const frame_expectation cases[] = {
      {1500, 1500, 1}, // the restart at 1500 is not due at 1500
      {1600, 0, 1},    // it is dispatched in the next frame, which is demo time 0
      {1650, 50, 1},   //
      {3600, 2000, 1}, // s02 at 2000 after the restart, not yet due
      {3601, 2001, 2}, //
      {3700, 2100, 2},
  };
  expect_frames(cases);
  // Frames 1.0-1.5 s play the music from 1 s (loud); from 1.6 s it starts
  // again: a silent second, then loud again.
  std::vector<double> rms = loudness(out_dir + "/restart.mp4", {0.05, 0.8, 1.75}, {0.5, 1.5, 1.95});
  ASSERT_EQ(rms.size(), 3u);
  EXPECT_GT(rms[0], 0.2) << "music from 1 s";
  EXPECT_LT(rms[1], 0.02) << "the restarted music's silent second";
  EXPECT_GT(rms[2], 0.2) << "the restarted music's tone";
}

TEST_F(CaptureProbe, VideoHasTheFramesAndMusicAskedFor) {
  std::string video = out_dir + "/clip.mp4";
  fs::create_directories(out_dir);
  tool_result r = capture({"--video", video, "--fps", "10", "--from", "500", "--to", "2500"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("20/20 frames"), std::string::npos) << "progress bar\n" << r.err;
  EXPECT_FALSE(fs::exists(video + ".video.mp4")) << "the intermediate file is removed";

  std::string v = probe(video, "stream=codec_type,codec_name,nb_read_frames,duration");
  EXPECT_NE(v.find("codec_name=h264"), std::string::npos) << v;
  EXPECT_NE(v.find("nb_read_frames=20"), std::string::npos) << v;
  std::string a = probe(video, "stream=duration -select_streams a");
  ASSERT_NE(a.find("duration="), std::string::npos) << "no audio stream\n" << a;
  double seconds = std::atof(a.substr(a.find("duration=") + 9).c_str());
  EXPECT_NEAR(seconds, 2.0, 0.05);

  // First picture: demo time 500 in scene 0, through yuv420p.
  std::string raw = out_dir + "/first.rgb";
  std::string cmd = "ffmpeg -loglevel error -y -i '" + video +
                    "' -frames:v 1 -f rawvideo -pix_fmt rgb24 '" + raw + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::string pixels = read_file(raw);
  ASSERT_EQ(pixels.size(), 800u * 600u * 3u);
  probe_colour want = probe_colour::of(500, 0);
  const uint8_t *c = reinterpret_cast<const uint8_t *>(pixels.data()) + 3 * (300 * 800 + 400);
  EXPECT_NEAR(c[0], want.r, 6);
  EXPECT_NEAR(c[1], want.g, 6);
  EXPECT_NEAR(c[2], want.b, 6);

  // The music from 0.5 s: half a second of silence, then the tone.
  std::vector<double> rms = loudness(video, {0.05, 0.7}, {0.4, 1.9});
  ASSERT_EQ(rms.size(), 2u);
  EXPECT_LT(rms[0], 0.02);
  EXPECT_GT(rms[1], 0.2);
}

TEST_F(CaptureProbe, ShowEndingTheProcessKeepsTheOutputs) {
  // Probe scene 10 ends the process at 1.5 s, as the last scene ends the show.
  tree.write_file("data/markers.txt", "m_start 00:00:00.000\ns00 00:00:00.000\ns10 00:00:01.000\n");
  fs::create_directories(out_dir);
  tool_result r = capture({"--at", "200,1400,2000", "--out", out_dir, "--video",
                           out_dir + "/end.mp4", "--sheet", out_dir + "/end.png", "--every", "500",
                           "--stats", "--fps", "10", "--to", "3000"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(out_dir + "/" + capture_frame_name(200)));
  EXPECT_EQ(frame_colour(out_dir + "/" + capture_frame_name(1400)).scene(), 10);
  EXPECT_FALSE(fs::exists(out_dir + "/" + capture_frame_name(2000)));
  EXPECT_NE(r.err.find("no frame written for 2000 ms"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("contact sheet: 3 frames"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("requested exit"), std::string::npos) << r.err;
  // Frames 0-1400: the frame at 1500 ends the process in its update.
  std::string v = probe(out_dir + "/end.mp4", "stream=nb_read_frames -select_streams v");
  EXPECT_NE(v.find("nb_read_frames=15"), std::string::npos) << v;
  EXPECT_NE(r.out.find("from 0 to 1401 ms at 10 fps"), std::string::npos) << r.out;
  std::map<std::string, int> want = {{"none", 1}, {"0", 10}, {"10", 4}, {"all", 15}};
  EXPECT_EQ(stats_counts(r.out), want) << r.out;
}

TEST_F(CaptureProbe, FailedOutputGivesStatus255EvenWhenTheShowEnds) {
  tree.write_file("data/markers.txt", "m_start 00:00:00.000\ns00 00:00:00.000\ns10 00:00:01.000\n");
  // The sheet is written only when the show has ended the process.
  tool_result r = capture({"--sheet", tree.root + "/missing/folder/end.png", "--every", "500",
                           "--fps", "10", "--to", "3000"});
  EXPECT_EQ(r.status, 255) << r.err;
  EXPECT_NE(r.err.find("## ERROR: montage failed"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("requested exit"), std::string::npos) << "shut down as the demo does";
}

TEST_F(CaptureProbe, BadCommandLineOpensNoWindow) {
  tool_result r = capture({"--at", "soon"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("bad time in --at"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("usage: demo-capture"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("requested exit"), std::string::npos) << r.err;
}
