// Event dispatch of the director under a clock the test controls.
#include "runtime/cDemoDirector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> journal;

class RecordingScene : public cScene {
public:
  RecordingScene(std::string name, demo_clock *clock) : cScene(clock), name(std::move(name)) {}
  ~RecordingScene() override { journal.push_back(name + ".delete"); }
  void load() override { journal.push_back(name + ".load"); }
  void enter() override { journal.push_back(name + ".enter@" + now()); }
  void leave() override { journal.push_back(name + ".leave"); }
  void render() override { journal.push_back(name + ".render"); }
  void on_event(const demo_event *e) override {
    journal.push_back(name + ".event" + std::to_string(e->kind) + "@" + now());
  }
  void update() override { journal.push_back(name + ".update"); }

private:
  std::string now() const { return std::to_string(clock->demo_time()); }
  std::string name;
};

struct DirectorTest : testing::Test {
  uint32_t ticks = 1000;
  cDemoDirector director{nullptr, [this] { return ticks; }};

  void SetUp() override {
    journal.clear();
    director.reset_clock();
    for (int i = 0; i <= 10; ++i)
      director.scenes.push_back(new RecordingScene("s" + std::to_string(i), &director.clock));
  }
  void markers(const std::string &text) { director.events.load_text(text.data(), text.size()); }
  void frame_at(uint32_t t) {
    ticks = t;
    director.update();
  }
};
} // namespace

TEST_F(DirectorTest, SwitchEntersAndReSwitchLeavesFirst) {
  markers("s01 00:00:00.010\ns02 00:00:00.020\ns02 00:00:00.030\n");
  frame_at(1015);
  frame_at(1025);
  frame_at(1035);
  EXPECT_EQ(journal,
            (std::vector<std::string>{"s1.enter@15", "s1.update", "s1.leave", "s2.enter@25",
                                      "s2.update", "s2.leave", "s2.enter@35", "s2.update"}));
}

TEST_F(DirectorTest, AccentsGoToTheCurrentSceneOnlyAndAllDueEventsInOneFrame) {
  markers("bd 00:00:00.005\ns04 00:00:00.010\nbd 00:00:00.011\nclap 00:00:00.012\n"
          "s100 00:00:00.013\nfx2 00:00:00.500\n");
  frame_at(1100);
  EXPECT_EQ(journal, (std::vector<std::string>{"s4.enter@100", "s4.event16@100", "s4.event22@100",
                                               "s4.event11@100", "s4.update"}));
}

TEST_F(DirectorTest, EventAtZeroWaitsForOneMillisecond) {
  markers("s00 00:00:00.000\n");
  frame_at(1000);
  EXPECT_TRUE(journal.empty());
  frame_at(1001);
  EXPECT_EQ(journal.front(), "s0.enter@1");
}

TEST_F(DirectorTest, RestartMakesLaterEventsRelativeAndNeverRepeats) {
  markers("s00 00:00:00.100\nm_start 00:00:02.000\ns01 00:00:00.500\nbd 00:00:00.600\n");
  EXPECT_TRUE(director.restart_pending());
  frame_at(1200); // s00 at 100
  EXPECT_EQ(director.current_index(), 0);
  EXPECT_EQ(director.restarts(), 0u);
  frame_at(3500); // m_start due at 2000: clock restarts at 3500
  EXPECT_EQ(director.clock.start_ms, 3500u);
  EXPECT_EQ(director.clock.demo_time(), 0);
  EXPECT_EQ(director.restarts(), 1u);
  EXPECT_FALSE(director.restart_pending());
  journal.clear();
  frame_at(3900); // demo time 400: nothing yet
  EXPECT_EQ(journal, (std::vector<std::string>{"s0.update"}));
  journal.clear();
  frame_at(4200); // demo time 700: s01 and bd, once
  frame_at(4300);
  EXPECT_EQ(director.current_index(), 1);
  EXPECT_EQ(journal, (std::vector<std::string>{"s0.leave", "s1.enter@700", "s1.event16@700",
                                               "s1.update", "s1.update"}));
}

TEST_F(DirectorTest, UnknownKindsAndMissingScenesOnlyWarn) {
  delete director.scenes[7];
  director.scenes[7] = nullptr;
  journal.clear();
  markers("s03 00:00:00.001\nm_stop 00:00:00.002\ns07 00:00:00.003\nbd 00:00:00.004\n");
  testing::internal::CaptureStderr();
  frame_at(1010);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("unhandled demo_event: 15\n"), std::string::npos);
  EXPECT_NE(err.find("#WARNING: Missing scene: 7\n"), std::string::npos);
  EXPECT_EQ(director.current, nullptr);
  EXPECT_EQ(director.current_index(), -1);
  // The accent after the missing scene is dropped; s3 was left once.
  EXPECT_EQ(journal, (std::vector<std::string>{"s3.enter@10", "s3.leave"}));
}

TEST_F(DirectorTest, PrevAndNowTrackFrames) {
  frame_at(1010);
  frame_at(1013);
  EXPECT_EQ(director.clock.prev_ms, 1010u);
  EXPECT_EQ(director.clock.now_ms, 1013u);
  director.render(); // no current scene: nothing happens
  EXPECT_TRUE(journal.empty());
}

TEST(DirectorLifetime, DestructorDeletesEveryScene) {
  journal.clear();
  {
    cDemoDirector director(nullptr, [] { return 0u; });
    director.scenes.push_back(new RecordingScene("a", &director.clock));
    director.scenes.push_back(new RecordingScene("b", &director.clock));
  }
  EXPECT_EQ(journal, (std::vector<std::string>{"a.delete", "b.delete"}));
}
