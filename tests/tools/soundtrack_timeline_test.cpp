// The timeline that the soundtrack tool writes, read back by the show's own
// reader and played through the director's dispatch rules: every scene gets
// the window and the beats its animation is written for.
#include "cScore.h"
#include "cSynth.h"
#include "runtime/cEventQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kScore = std::string(DEMO_SOURCE_DIR) + "/tools/soundtrack/score.txt";

// The markers file's names, as the show knows them.
const std::map<std::string, int32_t> kKinds = {
    {"s00", 0},      {"s01", 1},    {"s02", 2},  {"s03", 3},   {"s04", 4},     {"s05", 5},
    {"s06", 6},      {"s07", 7},    {"s08", 8},  {"s09", 9},   {"s10", 10},    {"s100", 11},
    {"m_start", 14}, {"bd", 16},    {"bd0", 17}, {"bd1", 18},  {"bd-end", 19}, {"fx1", 20},
    {"fx2", 21},     {"clap", 22},  {"sbd", 23}, {"sbip", 24}, {"snare", 25},  {"szap", 26},
    {"sclap", 27},   {"snoise", 28}};

struct visit {
  int scene = -1;
  int32_t from = 0, to = INT32_MAX; // current from the switch to the next one
  std::vector<demo_event> accents;
  int count(int32_t kind, int32_t after = INT32_MIN, int32_t before = INT32_MAX) const {
    int n = 0;
    for (const auto &e : accents)
      n += e.kind == kind && e.time > after && e.time < before;
    return n;
  }
};

// The score, its markers file read back through the show's reader, and the
// show as the director plays it: each accent goes to the scene current when
// it falls due.
struct show {
  cScore score;
  std::vector<demo_event> events; // in dispatch order
  std::vector<visit> visits;
  std::vector<demo_event> before_first_scene;

  show() : score(cScore::load(kScore)) {
    const std::string path = ::testing::TempDir() + "soundtrack_markers.txt";
    {
      std::ofstream out(path, std::ios::binary);
      out << markers_text(score, "score.txt");
    }
    cEventQueue queue;
    queue.loadFile(path);
    std::remove(path.c_str());
    while (const demo_event *e = queue.pop(INT32_MAX))
      events.push_back({e->kind, e->time, nullptr});
    for (const auto &e : events) {
      if (e.kind >= 0 && e.kind <= 10) {
        if (!visits.empty())
          visits.back().to = e.time;
        visits.push_back({e.kind, e.time, INT32_MAX, {}});
      } else if (e.kind == 11 || (e.kind >= 16 && e.kind <= 28)) {
        (visits.empty() ? before_first_scene : visits.back().accents).push_back(e);
      }
    }
  }
  const visit *of(int scene) const {
    for (const auto &v : visits)
      if (v.scene == scene)
        return &v;
    return nullptr;
  }
};

const show &the_show() {
  static const show s;
  return s;
}

} // namespace

TEST(SoundtrackTimeline, TheMarkersFileReadsBackAsTheScoresEventsInOrder) {
  const show &s = the_show();
  std::vector<std::pair<int32_t, int32_t>> want, got;
  for (const auto &e : s.score.timeline) {
    if (e.comment)
      continue;
    auto k = kKinds.find(e.name);
    ASSERT_NE(k, kKinds.end()) << "'" << e.name << "' is no event of the show";
    want.emplace_back(k->second, e.ms);
  }
  for (const auto &e : s.events)
    got.emplace_back(e.kind, e.time);
  ASSERT_GT(want.size(), 100u);
  EXPECT_EQ(got, want);
  ASSERT_FALSE(s.events.empty());
  EXPECT_EQ(s.events[0].kind, 14) << "the music starts first";
  EXPECT_EQ(s.events[0].time, 0);
}

TEST(SoundtrackTimeline, EveryEventOfTheScoreHasItsOwnLine) {
  // The tool must not lean on the reader's sorting: the file is in time order.
  const show &s = the_show();
  const std::string text = markers_text(s.score, "score.txt");
  size_t lines = 0, start = 0;
  int32_t last = -1;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end - start);
    start = end + 1;
    demo_event *e = parse_marker_line(line.data(), line.size());
    if (!e)
      continue;
    EXPECT_GE(e->time, last) << line;
    last = e->time;
    delete e;
    ++lines;
  }
  EXPECT_EQ(lines, s.events.size());
}

TEST(SoundtrackCueSheet, SceneZeroOpensTheShowAndTheIntroHasNoAccents) {
  const show &s = the_show();
  ASSERT_FALSE(s.visits.empty());
  EXPECT_EQ(s.visits[0].scene, 0);
  EXPECT_EQ(s.visits[0].from, 0);
  EXPECT_TRUE(s.before_first_scene.empty());
  EXPECT_TRUE(s.visits[0].accents.empty()) << s.visits[0].accents.size() << " accents";
  EXPECT_GE(s.visits[0].to, 10000) << "an intro worth the name";
}

TEST(SoundtrackCueSheet, EveryScenePlaysOnceAndTheEmptyOnesNever) {
  const show &s = the_show();
  std::vector<int> order;
  for (const auto &v : s.visits)
    order.push_back(v.scene);
  std::multiset<int> seen(order.begin(), order.end());
  for (int scene : {0, 1, 2, 4, 6, 7, 8, 9, 10})
    EXPECT_EQ(seen.count(scene), 1u) << "scene " << scene;
  EXPECT_EQ(seen.count(3), 0u);
  EXPECT_EQ(seen.count(5), 0u);
  EXPECT_EQ(order.size(), 9u);
}

TEST(SoundtrackCueSheet, EachSceneGetsTheAccentsItsAnimationCountsOn) {
  const std::set<int32_t> corridor_rolls = {11, 17, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28};
  const struct {
    int scene;
    std::set<int32_t> kinds;
    int at_least;
    const char *why;
    int32_t after = INT32_MIN, before = INT32_MAX;
  } cues[] = {
      {1, {23}, 1, "sbd turns the object"},
      {1, {24, 25, 27}, 1, "sbip, snare or sclap for shells"},
      {2, {16, 23}, 1, "bd or sbd"},
      {2, {22, 25, 27}, 1, "clap, snare or sclap"},
      {4, {16}, 66, "all sixty-six drums of its shot list"},
      {6, {16}, 1, "bd after 114.6 s fires the lasers", 114600},
      {6, {16}, 5, "the lasers fire on a beat, not once", 114600, 118000},
      {7, {16}, 45, "the camera script counts forty-five drums", INT32_MIN, 93000},
      {7, {16}, 1, "the speakers freeze after 73.4 s if no drum has come yet", INT32_MIN, 73400},
      {8, {16}, 1, "bd"},
      {8, {18}, 1, "bd1"},
      {8, corridor_rolls, 1, "accents that roll the corridor"},
      {9, {16}, 1, "bd"},
      {9, {22}, 1, "clap"},
  };
  for (const auto &c : cues) {
    const visit *v = the_show().of(c.scene);
    ASSERT_NE(v, nullptr) << "scene " << c.scene;
    int n = 0;
    for (int32_t kind : c.kinds)
      n += v->count(kind, c.after, c.before);
    EXPECT_GE(n, c.at_least) << "scene " << c.scene << ": " << c.why;
  }
  // Windows the scenes' scripts are written for.
  const int32_t windows[][3] = {{6, 108000, 118000}, {7, 70000, 93000}};
  for (const auto &w : windows) {
    const visit *v = the_show().of(w[0]);
    EXPECT_LE(v->from, w[1]) << "scene " << w[0];
    EXPECT_GE(v->to, w[2]) << "scene " << w[0];
  }
  // Scene 1: fx1 fades the credits in, then out.
  const visit *one = the_show().of(1);
  ASSERT_EQ(one->count(20), 2);
  std::vector<int32_t> fx;
  for (const auto &e : one->accents)
    if (e.kind == 20)
      fx.push_back(e.time);
  EXPECT_GE(fx[1] - fx[0], 750 + 5000) << "the credits stay up a while after their fade-in";
  EXPECT_GE(one->to - fx[1], 750) << "the fade-out ends before the scene does";
}

TEST(SoundtrackCueSheet, SceneTenEndsTheShowAfterTheMusic) {
  const show &s = the_show();
  ASSERT_FALSE(s.visits.empty());
  const visit &last = s.visits.back();
  EXPECT_EQ(last.scene, 10);
  EXPECT_LT(last.from, 231700) << "current before the picture goes black";
  EXPECT_LE(s.events.back().time, 231710) << "no cue after the picture is gone";
  EXPECT_GE(s.score.length_s, 238.8) << "the music runs until the program ends";
  // The last notes, tails included, have died away when the program ends
  // at 238.775 s; the mixer fades what the reverb leaves.
  cSynth synth(s.score);
  auto tail = synth.render_stem([](const score_note &n) { return n.sample > 200 * 44100; });
  const size_t end = static_cast<size_t>(238.775 * 44100);
  ASSERT_GT(tail.size(), end);
  float loud = 0, after = 0;
  for (size_t i = 0; i < tail.size(); ++i)
    (i < end ? loud : after) = std::max(i < end ? loud : after, std::fabs(tail[i]));
  ASSERT_GT(loud, 0.1f);
  EXPECT_LT(20.0 * std::log10(after / loud + 1e-12), -50.0) << "still sounding at the end";
}

TEST(SoundtrackCueSheet, EveryAccentReachesASceneThatTakesIt) {
  // Kinds a scene reacts to, or absorbs, without printing a log line.
  const std::map<int, std::set<int32_t>> takes = {{0, {}},
                                                  {1, {20, 23, 24, 25, 27}},
                                                  {2, {16, 23, 22, 25, 27}},
                                                  {4, {16}},
                                                  {6, {16}},
                                                  {7, {16, 22}},
                                                  {9, {16, 22}}};
  for (const auto &v : the_show().visits) {
    auto t = takes.find(v.scene);
    if (t == takes.end())
      continue; // scenes 8 and 10 take everything silently
    for (const auto &e : v.accents)
      EXPECT_TRUE(t->second.count(e.kind))
          << "scene " << v.scene << " would log kind " << e.kind << " at " << e.time;
  }
}
