// Score language: positions, pattern expansion, harmony, automation, the
// timeline it produces and the errors that stop a bad score.
#include "cScore.h"
#include "runtime/marker_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// 125 BPM: a sixteenth is exactly 120 ms and 5292 samples.
const std::string kHead = "tempo 125\nlength 20\n"
                          "instrument k kick\ninstrument h hat swing=0.5\n"
                          "instrument b bass oct=2\ninstrument p pad oct=4\n";

cScore parse(const std::string &body) { return cScore::parse(kHead + body, "t"); }

std::vector<std::pair<std::string, int32_t>> events(const cScore &s) {
  std::vector<std::pair<std::string, int32_t>> out;
  for (const auto &e : s.timeline)
    if (!e.comment)
      out.emplace_back(e.name, e.ms);
  return out;
}

std::string error_of(const std::string &body) {
  try {
    parse(body);
  } catch (const score_error &e) {
    return e.what();
  }
  return "";
}

} // namespace

TEST(ScoreTimes, PositionsCountBarsBeatsAndSixteenthsFromOne) {
  cScore s = parse("scene 1 s00\nscene 2 s01\nscene 2:3 s02\nscene 3:2:4 s04\n");
  using E = std::pair<std::string, int32_t>;
  std::vector<E> want = {{"m_start", 0}, {"s00", 0}, {"s01", 1920}, {"s02", 2880}, {"s04", 4680}};
  EXPECT_EQ(events(s), want);
  EXPECT_EQ(s.timeline[2].sample, 84672); // one bar of 44.1 kHz samples
}

TEST(ScoreTimes, MarkerTimesUseTheMusicClockFormat) {
  EXPECT_EQ(format_marker_time(0), "00:00:00.000");
  EXPECT_EQ(format_marker_time(115100), "00:01:55.100");
  EXPECT_EQ(format_marker_time(3723004), "01:02:03.004");
  EXPECT_EQ(sample_to_ms(44100), 1000);
  EXPECT_EQ(sample_to_ms(22), 0); // 0.499 ms
  EXPECT_EQ(sample_to_ms(23), 1); // 0.522 ms
}

TEST(ScorePatterns, DrumLinesRepeatAndWriteTheirEvents) {
  cScore s = parse("pattern p 1\n k:bd x...o...\n h ..x.\nend\nplay 1 3 p\n");
  int kicks = 0, hats = 0;
  for (const auto &n : s.notes) {
    if (n.instrument == 0) {
      EXPECT_NEAR(n.pos, kicks * 4, 1e-9);
      EXPECT_FLOAT_EQ(n.velocity, kicks % 2 ? 0.6f : 1.0f);
      EXPECT_EQ(n.marker, "bd");
      ++kicks;
    } else {
      EXPECT_TRUE(n.marker.empty());
      ++hats;
    }
  }
  EXPECT_EQ(kicks, 8); // two bars of a line half a bar long
  EXPECT_EQ(hats, 8);
  auto ev = events(s);
  ASSERT_EQ(ev.size(), 9u);
  EXPECT_EQ(ev[4], std::make_pair(std::string("bd"), 1440));
}

TEST(ScorePatterns, SwingDelaysOddSixteenthsAndTheirEvents) {
  cScore s = parse("pattern p 1\n h:snare .x..\nend\nplay 1 2 p\n");
  ASSERT_EQ(s.notes.size(), 4u);
  EXPECT_NEAR(s.notes[0].pos, 1.5, 1e-9);
  auto ev = events(s);
  EXPECT_EQ(ev[1].second, 180); // 1.5 sixteenths
  EXPECT_EQ(s.notes[0].sample, 7938);
}

TEST(ScorePatterns, HoldsLengthenNotesAndRangesCutThem) {
  cScore s = parse("progression c Am\nharmony 1 3 c\n"
                   "pattern p 1\n b r - - . r+7 - - - - - - - - - - -\nend\nplay 1 1:4 p\n");
  ASSERT_EQ(s.notes.size(), 2u);
  EXPECT_NEAR(s.notes[0].length_s, 0.36, 1e-9);
  EXPECT_FLOAT_EQ(s.notes[0].pitch, 45);            // A2
  EXPECT_FLOAT_EQ(s.notes[1].pitch, 52);            // E3
  EXPECT_NEAR(s.notes[1].length_s, 8 * 0.12, 1e-9); // cut at beat 4
}

TEST(ScoreHarmony, ChordTonesFollowTheProgressionBarByBar) {
  cScore s = parse("progression c Am F C G7\nharmony 1 6 c\n"
                   "pattern p 1\n b c1 c2 c3 c4 . . . . . . . . . . . .\nend\nplay 1 6 p\n");
  std::vector<float> pitches;
  for (const auto &n : s.notes)
    pitches.push_back(n.pitch);
  std::vector<float> want = {45, 48, 52, 57,  // Am, the octave completes a triad
                             41, 45, 48, 53,  // F
                             36, 40, 43, 48,  // C
                             43, 47, 50, 53,  // G7 keeps its seventh
                             45, 48, 52, 57}; // the progression loops
  EXPECT_EQ(pitches, want);
}

TEST(ScoreHarmony, WholeChordsStayInOneRegister) {
  cScore s = parse("progression c C G Am F\nharmony 1 5 c\n"
                   "pattern p 1\n p * - - - - - - - - - - - - - - -\nend\nplay 1 5 p\n");
  ASSERT_EQ(s.notes.size(), 12u);
  for (size_t bar = 0; bar < 4; ++bar) {
    float lo = 200, hi = 0;
    for (size_t k = 0; k < 3; ++k) {
      lo = std::min(lo, s.notes[bar * 3 + k].pitch);
      hi = std::max(hi, s.notes[bar * 3 + k].pitch);
    }
    EXPECT_LE(hi - lo, 9) << "bar " << bar; // a close triad voicing
    EXPECT_GE(lo, 57) << "bar " << bar;     // around the middle of octave 4
    EXPECT_LE(hi, 72) << "bar " << bar;
  }
}

TEST(ScoreHarmony, AbsoluteNotesNameTheirOctave) {
  cScore s = parse("pattern p 1\n b A4 C#5 Bb3 B#3 Cb4 . . . . . . . . . . .\nend\nplay 1 2 p\n");
  std::vector<float> pitches;
  for (const auto &n : s.notes)
    pitches.push_back(n.pitch);
  EXPECT_EQ(pitches, (std::vector<float>{69, 73, 58, 60, 59}));
}

TEST(ScoreAutomation, SetsAndSweepsHoldTheirLastValue) {
  cScore s = parse("set p.cutoff 2 500\nsweep p.cutoff 3 4 1000 4000 exp\n"
                   "sweep p.level 3 5 0 1\n");
  const int p = s.find_instrument("p");
  EXPECT_FLOAT_EQ(s.param(p, P_CUTOFF, 0), 2500);                // voice default
  EXPECT_FLOAT_EQ(s.param(p, P_CUTOFF, 84672), 500);             // from bar 2
  EXPECT_NEAR(s.param(p, P_CUTOFF, 2 * 84672 + 42336), 2000, 1); // halfway, exponential
  EXPECT_FLOAT_EQ(s.param(p, P_CUTOFF, 10 * 84672), 4000);
  EXPECT_NEAR(s.param(p, P_LEVEL, 3 * 84672), 0.5f, 1e-4); // halfway, linear
  EXPECT_TRUE(s.automated(p, P_CUTOFF));
  EXPECT_FALSE(s.automated(p, P_GAIN));
}

TEST(ScoreTimeline, StartsWithTheMusicAndOrdersEqualTimes) {
  cScore s = parse("pattern p 1\n k:bd x...\nend\nplay 2 3 p\nsection 2 drop\nscene 2 s07\n"
                   "hit 2 h:fx1\n");
  ASSERT_GE(s.timeline.size(), 5u);
  EXPECT_EQ(s.timeline[0].name, "m_start");
  EXPECT_TRUE(s.timeline[1].comment);
  EXPECT_EQ(s.timeline[1].name, "drop");
  EXPECT_EQ(s.timeline[2].name, "s07"); // the switch comes before the accents of its instant
  EXPECT_EQ(s.timeline[3].name, "bd");
  EXPECT_EQ(s.timeline[4].name, "fx1");
  std::string text = markers_text(s, "x.txt");
  EXPECT_NE(text.find("\nm_start 00:00:00.000\n"), std::string::npos);
  EXPECT_NE(text.find("\n# 00:00:01.920  drop\ns07 00:00:01.920\nbd 00:00:01.920\n"),
            std::string::npos);
  // Every line is either an event or starts with a comment word.
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end - start);
    EXPECT_TRUE(line.empty() || line[0] == '#' || line.find(' ') != std::string::npos) << line;
    EXPECT_LT(line.size(), 511u);
    start = end + 1;
  }
}

// The score marks hits with the show's own accent names; a control such as
// m_start would restart the show's clock, so it is no accent.
TEST(ScoreErrors, HitMarkersAreTheShowsAccentsOnly) {
  for (const marker_name &m : kAccentMarkers)
    EXPECT_EQ(error_of(std::string("hit 1 k:") + m.name + "\n"), "") << m.name;
  EXPECT_EQ(error_of("hit 1 k:s100\n"), "");
  for (const char *control : {"m_start", "m_stop", "s01"})
    EXPECT_NE(error_of(std::string("hit 1 k:") + control + "\n").find("not an accent event"),
              std::string::npos)
        << control;
}

TEST(ScoreErrors, NameTheLineAndTheProblem) {
  const std::pair<const char *, const char *> cases[] = {
      {"play 1 2 nothing\n", "t:7: unknown pattern 'nothing'"},
      {"pattern p 1\n kk x...\nend\n", "t:8: unknown instrument 'kk'"},
      {"pattern p 1\n k:boom x...\nend\n", "not an accent event"},
      {"pattern p 1\n k x..\nend\n", "does not divide"},
      {"pattern p 1\n k x...\n", "has no end"},
      {"pattern p 1\n k x.y.\nend\n", "unexpected 'y'"},
      {"scene 1 s11\n", "not a scene switch"},
      {"scene 0:1 s01\n", "position out of range"},
      {"scene 1:5 s01\n", "position out of range"},
      {"sweep p.cutoff 3 4 1 2\nset p.cutoff 3:2 5\n", "overlaps"},
      {"pattern p 1\n b r . . .\nend\nplay 1 2 p\n", "no harmony at bar 1"},
      {"hit 1 k:bd\nhit 1 k:bd\n", "two 'bd' events at 00:00:00.000"},
      {"hit 12 k:bd\n", "beyond the length"},
      {"instrument k hat\n", "defined twice"},
      {"instrument z theremin\n", "unknown voice"},
      {"instrument z hat wobble=3\n", "unknown parameter 'wobble'"},
      {"tempo fast\n", "'fast' is not a number"},
  };
  for (auto [body, message] : cases)
    EXPECT_NE(error_of(body).find(message), std::string::npos)
        << body << " gave " << error_of(body);
  EXPECT_THROW(cScore::parse("tempo 120\n", "t"), score_error); // no length
  EXPECT_THROW(cScore::load("/nonexistent/score.txt"), score_error);
}
