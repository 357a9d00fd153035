// Markers parsing, ordering and the pop rule.
#include "runtime/cEventQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {
using Events = std::vector<std::pair<int32_t, int32_t>>; // kind, time

Events parse(const std::string &text) {
  cEventQueue queue;
  queue.load_text(text.data(), text.size());
  Events out;
  for (const demo_event *e = queue.head; e; e = e->next)
    out.emplace_back(e->kind, e->time);
  return out;
}

int32_t kind_of(const std::string &line) { return classify_marker(line.data(), line.size()); }
} // namespace

TEST(MarkerNames, EveryNameMapsToItsKind) {
  const std::pair<const char *, int32_t> table[] = {
      {"s00", 0},      {"s01", 1},     {"s09", 9},   {"s10", 10},   {"s100", 11},
      {"m_start", 14}, {"m_stop", 15}, {"bd", 16},   {"bd0", 17},   {"bd1", 18},
      {"bd-end", 19},  {"fx1", 20},    {"fx2", 21},  {"clap", 22},  {"sbd", 23},
      {"sbip", 24},    {"snare", 25},  {"szap", 26}, {"sclap", 27}, {"snoise", 28}};
  for (const auto &[name, kind] : table)
    EXPECT_EQ(kind_of(std::string(name) + " 00:00:01.000"), kind) << name;
}

TEST(MarkerNames, NearMissesAreUnknown) {
  for (const char *line : {"s1 00:00:01.000", "S00 00:00:01.000", "s10: 00:00:01.000",
                           "s11 00:00:01.000", "BD 00:00:01.000", "bd2 00:00:01.000",
                           "m_start:00:00:01.000", " bd 00:00:01.000", "# bd 00:00:01.000"})
    EXPECT_EQ(kind_of(line), -1) << line;
  EXPECT_EQ(kind_of("12 00:00:01.000"), 13);
}

TEST(MarkerTimes, FieldsAndSeparators) {
  EXPECT_EQ(parse("bd 00:00:01,250\n"), (Events{{16, 1250}}));
  EXPECT_EQ(parse("bd 00:00:01.250\n"), (Events{{16, 1250}}));
  EXPECT_EQ(parse("bd 1:2:03.004\n"), (Events{{16, 3723004}}));
  EXPECT_EQ(parse("bd\t00:01:55.100 trailing words\n"), (Events{{16, 115100}}));
  EXPECT_EQ(parse("s00 00:00:01.500\r\nbd 00:00:02.000\r\n"), (Events{{0, 1500}, {16, 2000}}));
}

TEST(MarkerTimes, ShortOrMissingTimesStayInsideTheLine) {
  // A name without a time is no event; missing fields count as zero and
  // nothing past the line end is read (the next line holds digits).
  EXPECT_EQ(parse("bd\n00:00:09.999\n"), Events{});
  EXPECT_EQ(parse("bd \n"), Events{});
  EXPECT_EQ(parse("bd 00:00:01\n99"), (Events{{16, 1000}}));
  EXPECT_EQ(parse("bd 00:00:1\n999"), (Events{{16, 1000}}));
  EXPECT_EQ(parse("bd 5"), (Events{{16, 5 * 3600000}}));
  EXPECT_EQ(parse("bd 00:07"), (Events{{16, 7 * 60000}}));
}

TEST(MarkerFile, SkipsCommentsBlankAndUnknownLines) {
  EXPECT_EQ(parse("\n# intro\n  bd 00:00:01.000\nhello 00:00:01.000\nbd 00:00:02.000\n"),
            (Events{{16, 2000}}));
  EXPECT_EQ(parse(""), Events{});
}

TEST(MarkerFile, OverlongLineStopsReadingButKeepsEarlierEvents) {
  std::string ok511(511, 'x');
  EXPECT_EQ(parse("bd 00:00:01.000\n" + ok511 + "\nbd 00:00:02.000\n"),
            (Events{{16, 1000}, {16, 2000}}));
  std::string long512(512, 'x');
  EXPECT_EQ(parse("bd 00:00:01.000\n" + long512 + "\nbd 00:00:02.000\n"), (Events{{16, 1000}}));
}

TEST(MarkerOrder, SortedStableAndRestartHeldInPlace) {
  EXPECT_EQ(parse("bd 00:00:03.000\nclap 00:00:01.000\nsbd 00:00:01.000\n"),
            (Events{{22, 1000}, {23, 1000}, {16, 3000}}));
  // Events after m_start with earlier times stay behind it.
  EXPECT_EQ(parse("m_start 00:00:03.000\ns00 00:00:00.500\n"), (Events{{14, 3000}, {0, 500}}));
  EXPECT_EQ(parse("s00 00:00:01.000\nm_start 00:00:03.000\nbd 00:00:00.200\nbd 00:00:05.000\n"
                  "s01 00:00:00.100\n"),
            (Events{{0, 1000}, {14, 3000}, {1, 100}, {16, 200}, {16, 5000}}));
  // An event earlier than everything goes to the front when no restart is in the way.
  EXPECT_EQ(parse("bd 00:00:05.000\ns00 00:00:00.000\n"), (Events{{0, 0}, {16, 5000}}));
}

TEST(MarkerQueue, PopHandsOutOnlyEventsStrictlyBeforeT) {
  cEventQueue queue;
  std::string text = "bd 00:00:01.000\nclap 00:00:01.000\nsbd 00:00:02.000\n";
  queue.load_text(text.data(), text.size());
  EXPECT_EQ(queue.pop(1000), nullptr);
  const demo_event *first = queue.pop(1001);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->kind, 16);
  const demo_event *second = queue.pop(1001);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->kind, 22);
  EXPECT_EQ(queue.pop(1001), nullptr);
  EXPECT_EQ(queue.pop(-5), nullptr);
  ASSERT_NE(queue.pop(5000), nullptr);
  EXPECT_EQ(queue.pop(99999), nullptr);
  EXPECT_EQ(queue.tail->kind, 23);
}

TEST(MarkerQueueDeathTest, MissingFileExitsWithMessageOnStdout) {
  testing::internal::CaptureStdout();
  EXPECT_EXIT(
      {
        cEventQueue queue;
        queue.loadFile("/nonexistent/markers.txt");
      },
      testing::ExitedWithCode(255), "");
  testing::internal::GetCapturedStdout();
}
