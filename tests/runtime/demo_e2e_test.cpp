// The real demo program, run in a temporary tree under its own Xvfb with
// keys sent through XTest: exits, key handling, fatal start-up errors, music.
#include "support/demo_process.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {
const std::string kDemo = DEMO_BINARY_DIR "/demo";

// A two-second stereo tone, made once per test binary.
const std::string &music_file() {
  static std::string path = [] {
    std::string p = "/tmp/demo_e2e_music_" + std::to_string(getpid()) + ".ogg";
    std::string cmd = "ffmpeg -loglevel error -y -f lavfi -i "
                      "'sine=frequency=330:duration=2' -af 'volume=0.5' -ac 2 -ar 44100 "
                      "-c:a libvorbis '" +
                      p + "'";
    if (std::system(cmd.c_str()) != 0)
      return std::string();
    return p;
  }();
  return path;
}

struct DemoRun : testing::Test {
  VirtualDisplay display;
  DemoTree tree;

  void SetUp() override {
    ASSERT_TRUE(display.ok()) << "no Xvfb";
    ASSERT_FALSE(music_file().empty()) << "ffmpeg could not make the test music";
    tree.write_file("data/demo-full.ogg", read_file(music_file()));
    tree.write_file("data/markers.txt", "# test timeline\nm_start 00:00:00.300\n"
                                        "s00 00:00:00.010\nbd 00:00:00.020\ns03 00:00:00.400\n");
  }
};

int count(const std::string &text, const std::string &what) {
  int n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
    ++n;
  return n;
}

// Waits for the frame loop: the accent the test timelines send to scene 0
// prints its line in the first frame. Loading every scene can outlast any
// fixed wait, and a key pressed and released while loading is never seen.
bool wait_for_show(DemoProcess &demo, double seconds) {
  for (double waited = 0.0; waited < seconds; waited += 0.1) {
    if (demo.err().find("ef01: ") != std::string::npos)
      return true;
    if (!demo.running())
      return false;
    sleep_seconds(0.1);
  }
  return false;
}
} // namespace

TEST_F(DemoRun, QEscapeAndWindowCloseEndCleanly) {
  for (int way = 0; way < 3; ++way) {
    DemoProcess demo(tree, display, kDemo);
    ASSERT_TRUE(demo.wait_for_window(20)) << demo.err();
    ASSERT_TRUE(wait_for_show(demo, 60)) << demo.err();
    int status = 0;
    if (way < 2) {
      status = demo.hold_until_exit(way == 0 ? XK_q : XK_Escape, 20);
    } else {
      demo.close_window();
      status = demo.wait_exit(20);
    }
    EXPECT_EQ(status, 0) << "way " << way << "\n" << demo.err();
    std::string err = demo.err();
    EXPECT_EQ(count(err, "requested exit\n"), 1) << err;
    EXPECT_EQ(err.find("## ERROR: OpenGL"), std::string::npos) << err;
    EXPECT_NE(demo.out().find("Chose cg_profile:\tCG_PROFILE_ARBVP1"), std::string::npos);
  }
}

TEST_F(DemoRun, HeldSpacePrintsOneTimeStamp) {
  DemoProcess demo(tree, display, kDemo);
  ASSERT_TRUE(demo.wait_for_window(20));
  ASSERT_TRUE(wait_for_show(demo, 60)) << demo.err();
  demo.press(XK_space, 0.8);
  sleep_seconds(0.3);
  ASSERT_EQ(demo.hold_until_exit(XK_q, 20), 0);
  std::string err = demo.err();
  EXPECT_EQ(count(err, "b0 "), 1) << err;
  size_t at = err.find("b0 ");
  ASSERT_NE(at, std::string::npos);
  EXPECT_GT(std::atoi(err.c_str() + at + 3), 0) << "demo time after m_start";
}

TEST_F(DemoRun, MissingMarkersFileIsFatalOnStdout) {
  tree.remove_file("data/markers.txt");
  DemoProcess demo(tree, display, kDemo);
  EXPECT_EQ(demo.wait_exit(30), 255);
  EXPECT_NE(demo.out().find("Error reading file \"../data/markers.txt in cEventQueue::loadFile\n"),
            std::string::npos)
      << demo.out();
  EXPECT_EQ(demo.err().find("requested exit"), std::string::npos);
}

TEST_F(DemoRun, WithoutDataBesideTheWorkingDirectoryPlaysFromBesideTheProgram) {
  std::filesystem::remove_all(tree.data()); // links only: the checkout's files stay
  DemoProcess demo(tree, display, kDemo);
  ASSERT_TRUE(demo.wait_for_window(20)) << demo.out() << demo.err();
  EXPECT_EQ(demo.hold_until_exit(XK_q, 60), 0) << demo.err();
  EXPECT_EQ(demo.out().find("Error reading file"), std::string::npos) << demo.out();
  EXPECT_NE(demo.out().find("greetings-gear.bobj"), std::string::npos) << "the show's own data";
}

TEST_F(DemoRun, BadCommandLineIsRefusedBeforeAnyWindow) {
  for (const char *bad : {"--size=800", "--frobnicate"}) {
    DemoProcess demo(tree, display, kDemo, {}, {bad});
    EXPECT_EQ(demo.wait_exit(10), 2) << bad;
    EXPECT_NE(demo.err().find("demo: "), std::string::npos) << demo.err();
    EXPECT_NE(demo.err().find("usage: demo"), std::string::npos) << demo.err();
    EXPECT_EQ(demo.out().find("reading"), std::string::npos) << "nothing loaded";
  }
}

TEST_F(DemoRun, MissingMusicIsFatalWithStatusOne) {
  tree.remove_file("data/demo-full.ogg");
  DemoProcess demo(tree, display, kDemo);
  EXPECT_EQ(demo.wait_exit(30), 1);
  EXPECT_NE(demo.err().find("## ERROR: "), std::string::npos) << demo.err();
  EXPECT_EQ(demo.err().find("requested exit"), std::string::npos);
}

TEST_F(DemoRun, MusicStartsFromItsBeginningAtTheRestartMarker) {
  tree.write_file("data/markers.txt", "m_start 00:00:01.000\ns00 00:00:00.010\nbd 00:00:00.020\n");
  std::string raw = tree.root + "/audio.raw";
  DemoProcess demo(tree, display, kDemo,
                   {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw, "SDL_DISKAUDIODELAY=1"});
  ASSERT_TRUE(demo.wait_for_window(20));
  ASSERT_TRUE(wait_for_show(demo, 60)) << demo.err();
  sleep_seconds(1.5);
  ASSERT_EQ(demo.hold_until_exit(XK_q, 20), 0) << demo.err();

  std::string pcm = tree.root + "/music.raw";
  std::string cmd =
      "ffmpeg -loglevel error -y -i '" + music_file() + "' -f s16le -ac 2 -ar 44100 '" + pcm + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::string heard = read_file(raw), music = read_file(pcm);
  auto sample = [](const std::string &s, size_t i) {
    int16_t v;
    std::memcpy(&v, s.data() + 2 * i, 2);
    return static_cast<int>(v);
  };
  auto first_loud = [&](const std::string &s) {
    for (size_t i = 0; i < s.size() / 2; ++i)
      if (std::abs(sample(s, i)) > 200)
        return i;
    return s.size();
  };
  size_t heard_start = first_loud(heard), music_start = first_loud(music);
  ASSERT_LT(heard_start, heard.size() / 2) << "no music in the audio output";
  // Silence until the restart marker (1 s after loading began, less the
  // audio buffers already queued), then the track from its first sample.
  EXPECT_GT(heard_start, 44100u) << "music started before m_start";
  const size_t compare = 44100; // half a second, stereo samples
  ASSERT_LT(heard_start + compare, heard.size() / 2);
  long diff = 0;
  for (size_t i = 0; i < compare; ++i)
    diff = std::max<long>(
        diff, std::abs(sample(heard, heard_start + i) - sample(music, music_start + i)));
  EXPECT_LE(diff, 2) << "output differs from the decoded track";
}
