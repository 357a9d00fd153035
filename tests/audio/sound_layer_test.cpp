// The sound-library layer over SDL_mixer and the music module on top of it,
// with SDL's dummy audio driver.
#include "audio/cSoundModule.h"
#include "audio/fsound.h"

#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <cstdlib>
#include <string>

namespace {
const scratch_dir &files() {
  static const scratch_dir dir("sound");
  return dir;
}

// A short Ogg Vorbis tone made by ffmpeg.
const std::string &ogg_file() {
  static std::string path = [] {
    std::string p = files() / "tone.ogg";
    std::string cmd = "ffmpeg -loglevel error -y -f lavfi -i sine=frequency=440:duration=3 "
                      "-ac 2 -ar 44100 -c:a libvorbis " +
                      p;
    return std::system(cmd.c_str()) == 0 ? p : std::string();
  }();
  return path;
}

// The smallest four-channel module: 31 empty sample slots, three orders of
// one empty pattern.
std::string mod_file() {
  std::string m(20, '\0');
  m.replace(0, 4, "test");
  for (int i = 0; i < 31; ++i) {
    std::string sample(30, '\0');
    sample[25] = 64; // volume
    m += sample;
  }
  m += static_cast<char>(3);   // song length
  m += static_cast<char>(127); // restart byte
  m += std::string(128, '\0');
  m += "M.K.";
  m += std::string(64 * 4 * 4, '\0');
  return files().write("song.mod", m);
}

struct SoundLayer : testing::Test {
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(FSOUND_Init(44100, 32, 2));
  }
  void TearDown() override { FSOUND_Close(); }
};
} // namespace

TEST(SoundErrors, CallsBeforeInitFailAndUnknownCodesAreNamed) {
  EXPECT_EQ(FSOUND_Stream_Open("/dev/null", 0, 0, 0), nullptr);
  EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
  EXPECT_STRNE(FMOD_ErrorString(FMOD_ERR_UNINITIALIZED), "Unknown error");
  EXPECT_STREQ(FMOD_ErrorString(-1), "Unknown error");
  EXPECT_STREQ(FMOD_ErrorString(FMOD_ERR_CDDEVICE + 1), "Unknown error");
}

TEST_F(SoundLayer, OpenFailuresSetTheirCodes) {
  EXPECT_FALSE(FSOUND_Init(44100, 32, 2));
  EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_BUSY);
  EXPECT_EQ(FSOUND_Stream_Open("/nonexistent.ogg", 0x20001, 0, 0), nullptr);
  EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_NOTFOUND);
  const std::string junk = files().write("junk.ogg", "this is not audio");
  EXPECT_EQ(FSOUND_Stream_Open(junk.c_str(), 0x20001, 0, 0), nullptr);
  EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_FORMAT);
  EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, nullptr), -1);
  EXPECT_EQ(FMUSIC_LoadSong(ogg_file().c_str()), nullptr) << "a stream is no module song";
}

TEST_F(SoundLayer, StreamPlaysFromItsStartAndReportsTime) {
  ASSERT_FALSE(ogg_file().empty());
  FSOUND_STREAM *stream = FSOUND_Stream_Open(ogg_file().c_str(), 0x20001, 0, 0);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0);
  EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
  SDL_Delay(400);
  int t = FSOUND_Stream_GetTime(stream);
  EXPECT_GT(t, 150);
  EXPECT_LT(t, 1500);
  EXPECT_TRUE(FSOUND_Stream_SetTime(stream, 2000));
  int after_seek = FSOUND_Stream_GetTime(stream);
  EXPECT_GE(after_seek, 2000);
  EXPECT_LT(after_seek, 2300);
  // A second play starts over from the beginning.
  EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
  EXPECT_LT(FSOUND_Stream_GetTime(stream), 300);
  EXPECT_TRUE(FSOUND_SetVolume(0, 128));
  EXPECT_FALSE(FSOUND_SetVolume(0, 300));
  EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
}

TEST_F(SoundLayer, ModuleSongsPlayAndStepOrders) {
  FMUSIC_MODULE *song = FMUSIC_LoadSong(mod_file().c_str());
  ASSERT_NE(song, nullptr) << FMOD_ErrorString(FSOUND_GetError());
  EXPECT_TRUE(FMUSIC_PlaySong(song));
  EXPECT_EQ(FMUSIC_GetOrder(song), 0);
  EXPECT_TRUE(FMUSIC_SetOrder(song, 2));
  EXPECT_EQ(FMUSIC_GetOrder(song), 2);
  EXPECT_TRUE(FMUSIC_SetMasterVolume(song, 256));
  EXPECT_FALSE(FMUSIC_SetMasterVolume(song, 257));
}

TEST(SoundModule, UnknownSourceKindsReportTheirLines) {
  cSoundModule music;
  music.source_kind = 7;
  testing::internal::CaptureStderr();
  music.open("x");
  music.play();
  music.set_volume(1);
  music.set_position(1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "## ERROR, unhandled case in cSoundModule, line: 44\n"
            "## ERROR, unhandled case in cSoundModule, line: 57\n"
            "## ERROR, unhandled case in cSoundModule, line: 80\n"
            "## ERROR, unhandled case in cSoundModule, line: 96\n");
}

TEST(SoundModule, SongPositionAdvancesOneOrderPerCall) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  cSoundModule music;
  music.source_kind = 1;
  music.init();
  music.open(mod_file());
  music.play();
  music.set_position(1000);
  music.set_position(-5);
  EXPECT_EQ(FMUSIC_GetOrder(music.song), 2);
  music.close();
}

TEST(SoundModule, StreamVolumeWarningWhenTheChannelRefuses) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  cSoundModule music;
  music.init();
  music.open(ogg_file());
  music.play();
  EXPECT_EQ(music.channel, 0);
  testing::internal::CaptureStderr();
  music.set_volume(999);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "## WARNING: Not able to set volume in cSoundModule line 76\n");
  music.close();
}

TEST(SoundModuleDeathTest, MissingFileEndsWithStatusOne) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EXIT(
      {
        cSoundModule music;
        music.init();
        music.open("/nonexistent/demo-full.ogg");
      },
      testing::ExitedWithCode(1), "## ERROR: the file could not be opened\n");
}
