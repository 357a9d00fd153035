// The soundtrack's score: tempo, instruments, patterns, harmony, automation
// and the cue sheet, read from a text file and expanded into a time-ordered
// list of notes and timeline events. A malformed score throws score_error
// naming the line; nothing is guessed.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct score_error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

enum class voice_kind {
  kick,   // pitched-down sine with click; also the soft kick and the booms
  snare,  // tone plus noise
  clap,   // four noise bursts and a tail
  hat,    // metallic noise; decay sets closed or open
  blip,   // short pitched ping
  zap,    // square with a falling pitch
  noise,  // noise hit through a falling band-pass
  whoosh, // noise sweep with a sub thump (credits fades)
  laser,  // long falling saw sweep
  impact, // sub drop with a noise burst
  crash,  // long metallic cymbal
  riser,  // noise that rises over the note length
  bass,   // saw and square sub through a low-pass
  pad,    // detuned saws, slow envelope
  stab,   // short chord pluck
  lead,   // saw and pulse with vibrato
  pluck,  // short saw pluck for arpeggios
};

enum param_id {
  P_GAIN,    // dB
  P_PAN,     // -1 left .. 1 right
  P_REV,     // reverb send, linear
  P_DLY,     // delay send, linear
  P_DUCK,    // side-chain ducking depth 0..1
  P_SWING,   // delay of odd sixteenths, in sixteenths
  P_OCT,     // octave of chord-relative notes
  P_CUTOFF,  // Hz
  P_RES,     // 0..1
  P_DECAY,   // seconds
  P_ATTACK,  // seconds
  P_RELEASE, // seconds
  P_TONE,    // voice-specific pitch or colour, Hz
  P_DRIVE,   // saturation amount, 1 = clean
  P_KEY,     // 1: this instrument drives the side-chain
  P_WIDTH,   // stereo spread 0..1
  P_DETUNE,  // semitones between unison oscillators
  P_LEVEL,   // automatable linear level
  P_ENV,     // filter envelope depth in octaves
  P_COUNT
};

struct instrument {
  std::string name;
  voice_kind kind = voice_kind::kick;
  bool pitched = false;
  std::array<float, P_COUNT> params{};
};

struct score_note {
  int instrument = 0;
  double pos = 0;      // in sixteenths from the music start, swing included
  int64_t sample = 0;  // onset
  double length_s = 0; // held length
  float pitch = 0;     // MIDI note number; 0 for unpitched hits
  float velocity = 1;
  std::string marker; // timeline event this onset produces, empty for none
  uint32_t seed = 0;  // noise seed, unique per note
};

struct timeline_event {
  int64_t sample = 0;
  int32_t ms = 0;
  std::string name; // event name, or the section title when comment is set
  bool comment = false;
  int rank = 0; // order among equal times: sections, then switches, then accents
};

struct param_segment {
  int64_t start = 0, end = 0; // samples; a set has start == end
  float from = 0, to = 0;
  bool exponential = false;
};

class cScore {
public:
  static cScore parse(const std::string &text, const std::string &source_name = "score");
  static cScore load(const std::string &path);

  double bpm = 120;
  double length_s = 0;     // total length of the rendered file
  float loudness = -14.0f; // target integrated loudness, LUFS
  float ceiling = -1.5f;   // limiter ceiling, dBFS
  std::vector<instrument> instruments;
  std::vector<score_note> notes;        // by onset, then instrument
  std::vector<timeline_event> timeline; // m_start, sections, switches, accents in file order

  double sixteenth_s() const { return 15.0 / bpm; }
  int64_t length_samples() const;
  int find_instrument(const std::string &name) const;
  // Value of an instrument parameter at a sample, automation included.
  float param(int instrument, param_id id, int64_t sample) const;
  bool automated(int instrument, param_id id) const;

private:
  // automation[instrument * P_COUNT + param]: segments by start
  std::vector<std::vector<param_segment>> automation_;
  friend class cScoreParser;
};

// Milliseconds of a sample position, rounded to the nearest millisecond.
int32_t sample_to_ms(int64_t sample);
// "hh:mm:ss.mmm" as the markers file expects it.
std::string format_marker_time(int32_t ms);
// The markers file: a header comment, then one line per timeline entry.
std::string markers_text(const cScore &score, const std::string &source_name);
