// Time and beat logic of the speaker field without a GL context: the pump
// and the swing, the shot by bass-drum count, and the check that keeps a
// speaker pair from morphing past the end of its partner.
#include "scenes/cScene07.h"
#include "scenes/scene_random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

int g_random_calls = 0;
float g_random_value = 0.0f;
float fake_random() {
  ++g_random_calls;
  return g_random_value;
}

speaker_beat after_bass_drum(uint32_t bd, uint32_t t) {
  speaker_beat beat;
  speaker_bass_drum(beat, bd);
  speaker_update(beat, t, fake_random);
  return beat;
}

} // namespace

TEST(SpeakerBeat, PumpRisesAndFallsOver125MsAndTheSwingFallsOver250) {
  struct Case {
    int32_t since;
    float pump, swing;
  } cases[] = {
      {0, 0.0f, 1.0f},
      {100, 0.3454915f, 0.6545085f}, // the figures of a bass drum 100 ms ago
      {62, 0.9998421f, 0.8557678f},
      {124, 0.0006315f, 0.5062830f},
      {249, 0.0f, 0.0000395f},
      {250, 0.0f, 0.0f},
  };
  g_random_value = 0.0f;
  for (const Case &c : cases) {
    const speaker_beat beat = after_bass_drum(80000, 80000 + uint32_t(c.since));
    EXPECT_NEAR(beat.pump, c.pump, 1e-5f) << c.since;
    EXPECT_NEAR(beat.swing, c.swing, 1e-5f) << c.since;
  }
}

TEST(SpeakerBeat, FlutterBetweenBeatsStaysWithinAQuarterAndDrawsOnlyThen) {
  for (float value : {0.0f, 0.5f, 1.0f}) {
    g_random_value = value;
    g_random_calls = 0;
    EXPECT_FLOAT_EQ(after_bass_drum(80000, 80000 + 125).pump, 0.25f * value);
    EXPECT_EQ(g_random_calls, 1);
  }
  g_random_calls = 0;
  after_bass_drum(80000, 80000 + 50);
  EXPECT_EQ(g_random_calls, 0) << "a pump draws no random value";

  // Before the first bass drum: flutter until 73.4 s, then stillness that
  // keeps the swing where it was and draws nothing.
  g_random_value = 1.0f;
  speaker_beat beat;
  speaker_update(beat, 70000, fake_random);
  EXPECT_FLOAT_EQ(beat.pump, 0.25f);
  beat.swing = 0.4f;
  g_random_calls = 0;
  speaker_update(beat, 73401, fake_random);
  EXPECT_EQ(beat.pump, 0.0f);
  EXPECT_EQ(beat.swing, 0.4f);
  EXPECT_EQ(g_random_calls, 0);
  speaker_bass_drum(beat, 73500);
  EXPECT_EQ(beat.count, 1);
  speaker_update(beat, 73500 + 200, fake_random);
  EXPECT_FLOAT_EQ(beat.pump, 0.25f) << "counted drums flutter again";
}

TEST(SpeakerBeat, TheRandomHelperKeepsTheFlutterWithinAQuarter) {
  std::srand(81);
  speaker_beat beat;
  float highest = 0.0f;
  for (uint32_t t = 1000; t < 70000; t += 7) {
    speaker_update(beat, t, random_unit);
    ASSERT_GE(beat.pump, 0.0f) << t;
    ASSERT_LE(beat.pump, 0.25f) << t;
    highest = std::fmax(highest, beat.pump);
  }
  EXPECT_GT(highest, 0.2f) << "the flutter uses its whole range";
}

TEST(SpeakerShots, CutAtTheCountedBassDrums) {
  struct Case {
    int32_t count;
    int index;
    bool bright;
  } cases[] = {{0, 0, false},  {8, 0, false},  {9, 1, true},   {16, 1, true},
               {17, 2, false}, {24, 2, false}, {25, 3, false}, {32, 3, false},
               {33, 4, false}, {36, 4, false}, {37, 5, false}, {40, 5, false},
               {41, 6, false}, {44, 6, false}, {45, 7, true},  {500, 7, true}};
  for (const Case &c : cases) {
    const speaker_shot shot = speaker_shot_at(c.count, 80000);
    EXPECT_EQ(shot.index, c.index) << c.count;
    EXPECT_EQ(shot.bright, c.bright) << c.count;
  }
}

TEST(SpeakerShots, EyeCentreAndTurnAtGivenTimes) {
  // At t = 0 the sway terms are cos 0 = 1 and sin 0 = 0.
  struct Case {
    int32_t count, t;
    float eye[3], centre[3], turn;
  } cases[] = {
      {0, 0, {-1.1f, 101, -2}, {0, 65, 0}, 0},
      {9, 73423, {-3 - std::cos(73.423f), 120, std::sin(91.77875f) - 7}, {0, 75, 0}, 0},
      {9, 79423, {-3 - std::cos(79.423f), 120, std::sin(99.27875f) - 7}, {0, 85, 0}, 24},
      {17, 92828, {-38, 91 + 0.5f * std::cos(92.828f), -97}, {-2, 15, 7}, 97.025f},
      {17, 93828, {-38, 91 + 0.5f * std::cos(93.828f), -97}, {-2, 15, 7}, 112.025f},
      {25,
       73423,
       {0.5f * std::cos(73.423f) - 94, 14, -36 - 0.75f * std::sin(91.77875f)},
       {-11, 25, 2},
       0},
      {33, 80828, {-111, 12, 53}, {-11, 25, 2}, -50},
      {37, 83423, {-181, 3, 137}, {2, 57, -5}, -50},
      {41, 90000, {181, 75, 137}, {2, 37, -5}, 100},
      {45, 0, {-40, 120, -30}, {0, 37, 0}, 0},
  };
  for (const Case &c : cases) {
    const speaker_shot shot = speaker_shot_at(c.count, c.t);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(shot.eye[k], c.eye[k], 2e-3f) << c.count << " " << c.t << " eye " << k;
      EXPECT_NEAR(shot.centre[k], c.centre[k], 2e-3f) << c.count << " " << c.t << " centre " << k;
    }
    EXPECT_NEAR(shot.turn, c.turn, 2e-3f) << c.count << " " << c.t;
  }
}

namespace {

cIndexedMeshOf<cMeshMaterial> speaker_quad() {
  cIndexedMeshOf<cMeshMaterial> mesh;
  mesh.flags = MESH_HAS_NORMALS | MESH_HAS_TEXCOORDS;
  mesh.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  mesh.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
  mesh.texcoords = {0, 0, 1, 0, 1, 1, 0, 1};
  mesh.indices = {0, 1, 2, 0, 2, 3};
  return mesh;
}

} // namespace

TEST(SpeakerPairs, OnlyAPartnerWithTheSameVerticesInTheSameOrderFits) {
  const cIndexedMeshOf<cMeshMaterial> s = speaker_quad();
  struct Case {
    const char *what;
    void (*change)(cIndexedMeshOf<cMeshMaterial> &);
    bool fits;
  } cases[] = {
      {"cone pushed out", [](cIndexedMeshOf<cMeshMaterial> &m) { m.positions[5] = 2; }, true},
      {"normals turned", [](cIndexedMeshOf<cMeshMaterial> &m) { m.normals[0] = 1; }, true},
      {"one vertex short",
       [](cIndexedMeshOf<cMeshMaterial> &m) {
         m.positions.resize(9);
         m.normals.resize(9);
         m.texcoords.resize(6);
         m.indices = {0, 1, 2};
       },
       false},
      {"a vertex more",
       [](cIndexedMeshOf<cMeshMaterial> &m) {
         m.positions.insert(m.positions.end(), {2, 2, 2});
         m.normals.insert(m.normals.end(), {0, 0, 1});
         m.texcoords.insert(m.texcoords.end(), {1, 1});
       },
       false},
      {"triangles cut the other way",
       [](cIndexedMeshOf<cMeshMaterial> &m) { m.indices = {0, 1, 3, 1, 2, 3}; }, false},
      {"vertices listed in another order",
       [](cIndexedMeshOf<cMeshMaterial> &m) {
         std::swap(m.texcoords[0], m.texcoords[2]);
         std::swap(m.texcoords[1], m.texcoords[3]);
       },
       false},
      {"no normals",
       [](cIndexedMeshOf<cMeshMaterial> &m) {
         m.flags = MESH_HAS_TEXCOORDS;
         m.normals.clear();
       },
       false},
  };
  for (const Case &c : cases) {
    cIndexedMeshOf<cMeshMaterial> m = speaker_quad();
    c.change(m);
    EXPECT_EQ(morph_partner_problem(s, m).empty(), c.fits) << c.what;
  }
}
