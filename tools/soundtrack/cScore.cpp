// Reads the score text and expands it into notes and timeline events.
// Every malformed statement throws score_error with the line number, so a
// typo in the score stops the data build instead of shifting a cue.
#include "cScore.h"

#include "dsp.h"
#include "runtime/marker_names.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace {

const char *const kParamNames[P_COUNT] = {
    "gain",   "pan",     "rev",  "dly",   "duck", "swing", "oct",    "cutoff", "res", "decay",
    "attack", "release", "tone", "drive", "key",  "width", "detune", "level",  "env"};

struct voice_info {
  const char *name;
  voice_kind kind;
  bool pitched;
  std::vector<std::pair<param_id, float>> defaults;
};

const std::vector<voice_info> &voices() {
  static const std::vector<voice_info> table = {
      {"kick",
       voice_kind::kick,
       false,
       {{P_TONE, 160}, {P_DECAY, 0.3f}, {P_DRIVE, 2}, {P_ENV, 0.5f}}},
      {"snare", voice_kind::snare, false, {{P_TONE, 185}, {P_DECAY, 0.14f}, {P_CUTOFF, 1800}}},
      {"clap", voice_kind::clap, false, {{P_TONE, 1100}, {P_DECAY, 0.15f}}},
      {"hat", voice_kind::hat, false, {{P_TONE, 8000}, {P_DECAY, 0.045f}}},
      {"blip", voice_kind::blip, true, {{P_DECAY, 0.09f}, {P_OCT, 6}}},
      {"zap", voice_kind::zap, false, {{P_TONE, 2600}, {P_DECAY, 0.12f}}},
      {"noise", voice_kind::noise, false, {{P_TONE, 6000}, {P_DECAY, 0.25f}}},
      {"whoosh", voice_kind::whoosh, false, {{P_TONE, 12000}, {P_DECAY, 1.0f}}},
      {"laser", voice_kind::laser, false, {{P_TONE, 2400}, {P_DECAY, 0.7f}}},
      {"impact", voice_kind::impact, false, {{P_TONE, 90}, {P_DECAY, 1.6f}}},
      {"crash", voice_kind::crash, false, {{P_TONE, 5000}, {P_DECAY, 1.4f}}},
      {"riser", voice_kind::riser, false, {{P_TONE, 300}, {P_CUTOFF, 9000}, {P_RES, 0.5f}}},
      {"bass",
       voice_kind::bass,
       true,
       {{P_OCT, 2},
        {P_CUTOFF, 700},
        {P_RES, 0.25f},
        {P_DECAY, 0.18f},
        {P_ENV, 1.5f},
        {P_ATTACK, 0.003f},
        {P_RELEASE, 0.04f},
        {P_DRIVE, 1.5f}}},
      {"pad",
       voice_kind::pad,
       true,
       {{P_OCT, 4},
        {P_CUTOFF, 2500},
        {P_ATTACK, 0.4f},
        {P_RELEASE, 0.9f},
        {P_DETUNE, 0.12f},
        {P_WIDTH, 0.8f}}},
      {"stab",
       voice_kind::stab,
       true,
       {{P_OCT, 4},
        {P_CUTOFF, 1200},
        {P_DECAY, 0.22f},
        {P_ENV, 1.8f},
        {P_RELEASE, 0.05f},
        {P_DETUNE, 0.1f},
        {P_WIDTH, 0.6f}}},
      {"lead",
       voice_kind::lead,
       true,
       {{P_OCT, 5},
        {P_CUTOFF, 2600},
        {P_ATTACK, 0.008f},
        {P_RELEASE, 0.18f},
        {P_DETUNE, 0.08f},
        {P_ENV, 1.0f},
        {P_DECAY, 0.3f}}},
      {"pluck",
       voice_kind::pluck,
       true,
       {{P_OCT, 5}, {P_CUTOFF, 700}, {P_ENV, 3.0f}, {P_DECAY, 0.12f}, {P_RELEASE, 0.05f}}},
  };
  return table;
}

bool is_accent_name(const std::string &s) {
  return is_accent_kind(named_marker_kind(s.data(), s.size()));
}

bool is_scene_name(const std::string &s) { return scene_marker_index(s.data(), s.size()) >= 0; }

struct chord {
  int root = 0; // pitch class
  std::vector<int> intervals;
};

// One step of a pattern line.
struct step {
  enum { rest, hold, hit } type = rest;
  enum { absolute, root, tone, whole_chord } pitch_kind = absolute;
  int value = 0;  // MIDI note, or chord-tone index
  int offset = 0; // semitones added to root or chord tone
  float velocity = 1;
};

struct pattern_line {
  int instrument = 0;
  std::string marker;
  std::vector<step> steps;
};

struct pattern {
  int steps = 0;
  std::vector<pattern_line> lines;
};

} // namespace

class cScoreParser {
public:
  cScoreParser(const std::string &text, const std::string &name) : src_(name) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      // A comment starts with '#' at the start of a word, so C#4 stays a note.
      for (size_t i = 0; i < line.size(); ++i)
        if (line[i] == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(line[i - 1])))) {
          line.erase(i);
          break;
        }
      lines_.push_back(split(line));
    }
  }

  cScore run() {
    score_.timeline.push_back({0, 0, marker_kind_name(EV_M_START), false, 1});
    for (line_no_ = 0; line_no_ < lines_.size(); ++line_no_) {
      const auto &t = lines_[line_no_];
      if (t.empty())
        continue;
      statement(t);
    }
    if (score_.length_s <= 0)
      fail("the score sets no length");
    finish();
    return std::move(score_);
  }

private:
  std::string src_;
  std::vector<std::vector<std::string>> lines_;
  size_t line_no_ = 0;
  cScore score_;
  bool notes_started_ = false;
  std::map<std::string, pattern> patterns_;
  std::map<std::string, std::vector<chord>> progressions_;
  std::map<int, chord> harmony_; // bar index -> chord

  [[noreturn]] void fail(const std::string &msg) const {
    throw score_error(src_ + ":" + std::to_string(line_no_ + 1) + ": " + msg);
  }

  static std::vector<std::string> split(const std::string &line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string tok;
    while (in >> tok)
      out.push_back(tok);
    return out;
  }

  double number(const std::string &s) const {
    char *end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (s.empty() || *end != '\0' || !std::isfinite(v))
      fail("'" + s + "' is not a number");
    return v;
  }

  // "bar", "bar:beat" or "bar:beat:sixteenth", all counted from 1.
  int position(const std::string &s) const {
    int parts[3] = {1, 1, 1};
    int n = 0;
    std::string cur;
    for (size_t i = 0; i <= s.size(); ++i) {
      if (i == s.size() || s[i] == ':') {
        if (cur.empty() || n == 3)
          fail("bad position '" + s + "'");
        for (char c : cur)
          if (!std::isdigit(static_cast<unsigned char>(c)))
            fail("bad position '" + s + "'");
        parts[n++] = std::stoi(cur);
        cur.clear();
      } else {
        cur += s[i];
      }
    }
    if (parts[0] < 1 || parts[1] < 1 || parts[1] > 4 || parts[2] < 1 || parts[2] > 4)
      fail("position out of range '" + s + "'");
    return (parts[0] - 1) * 16 + (parts[1] - 1) * 4 + (parts[2] - 1);
  }

  int64_t sample_of(double pos16) const {
    return std::llround(pos16 * score_.sixteenth_s() * snd::kRate);
  }

  int instrument_ref(const std::string &name) const {
    int i = score_.find_instrument(name);
    if (i < 0)
      fail("unknown instrument '" + name + "'");
    return i;
  }

  param_id param_ref(const std::string &name) const {
    for (int p = 0; p < P_COUNT; ++p)
      if (name == kParamNames[p])
        return static_cast<param_id>(p);
    fail("unknown parameter '" + name + "'");
  }

  void expect_args(const std::vector<std::string> &t, size_t lo, size_t hi) const {
    if (t.size() < lo || t.size() > hi)
      fail("wrong number of arguments to '" + t[0] + "'");
  }

  void statement(const std::vector<std::string> &t) {
    const std::string &w = t[0];
    if (w == "tempo") {
      expect_args(t, 2, 2);
      if (notes_started_)
        fail("tempo must come before the arrangement");
      score_.bpm = number(t[1]);
      if (score_.bpm < 40 || score_.bpm > 300)
        fail("tempo out of range");
    } else if (w == "length") {
      expect_args(t, 2, 2);
      score_.length_s = number(t[1]);
    } else if (w == "loudness") {
      expect_args(t, 2, 2);
      score_.loudness = static_cast<float>(number(t[1]));
    } else if (w == "ceiling") {
      expect_args(t, 2, 2);
      score_.ceiling = static_cast<float>(number(t[1]));
    } else if (w == "instrument") {
      instrument_statement(t);
    } else if (w == "progression") {
      expect_args(t, 3, 1000);
      std::vector<chord> chords;
      for (size_t i = 2; i < t.size(); ++i)
        chords.push_back(parse_chord(t[i]));
      progressions_[t[1]] = chords;
    } else if (w == "pattern") {
      pattern_block(t);
    } else if (w == "harmony") {
      expect_args(t, 4, 4);
      int from = position(t[1]) / 16, to = position(t[2]) / 16;
      auto p = progressions_.find(t[3]);
      if (p == progressions_.end())
        fail("unknown progression '" + t[3] + "'");
      if (to <= from)
        fail("empty harmony range");
      for (int b = from; b < to; ++b)
        harmony_[b] = p->second[(b - from) % p->second.size()];
    } else if (w == "play") {
      expect_args(t, 4, 100);
      notes_started_ = true;
      int from = position(t[1]), to = position(t[2]);
      if (to <= from)
        fail("empty play range");
      for (size_t i = 3; i < t.size(); ++i) {
        auto p = patterns_.find(t[i]);
        if (p == patterns_.end())
          fail("unknown pattern '" + t[i] + "'");
        play(p->second, from, to);
      }
    } else if (w == "hit") {
      hit_statement(t);
    } else if (w == "set" || w == "sweep") {
      automation_statement(t);
    } else if (w == "scene") {
      expect_args(t, 3, 3);
      if (!is_scene_name(t[2]))
        fail("'" + t[2] + "' is not a scene switch (s00 to s10)");
      int64_t s = sample_of(position(t[1]));
      score_.timeline.push_back({s, sample_to_ms(s), t[2], false, 1});
    } else if (w == "section") {
      expect_args(t, 3, 100);
      std::string title;
      for (size_t i = 2; i < t.size(); ++i)
        title += (i > 2 ? " " : "") + t[i];
      int64_t s = sample_of(position(t[1]));
      score_.timeline.push_back({s, sample_to_ms(s), title, true, 0});
    } else {
      fail("unknown statement '" + w + "'");
    }
  }

  void instrument_statement(const std::vector<std::string> &t) {
    expect_args(t, 3, 100);
    if (score_.find_instrument(t[1]) >= 0)
      fail("instrument '" + t[1] + "' defined twice");
    if (t[1].find(':') != std::string::npos || t[1].find('.') != std::string::npos)
      fail("instrument names may not contain ':' or '.'");
    const voice_info *v = nullptr;
    for (const auto &vi : voices())
      if (t[2] == vi.name)
        v = &vi;
    if (!v)
      fail("unknown voice '" + t[2] + "'");
    instrument ins;
    ins.name = t[1];
    ins.kind = v->kind;
    ins.pitched = v->pitched;
    float base[P_COUNT] = {0,      0,    0, 0, 0, 0, 4,    20000, 0.1f, 0.3f,
                           0.005f, 0.1f, 0, 1, 0, 0, 0.1f, 1,     0};
    std::copy(base, base + P_COUNT, ins.params.begin());
    for (const auto &d : v->defaults)
      ins.params[d.first] = d.second;
    for (size_t i = 3; i < t.size(); ++i) {
      auto eq = t[i].find('=');
      if (eq == std::string::npos)
        fail("expected name=value, got '" + t[i] + "'");
      ins.params[param_ref(t[i].substr(0, eq))] = static_cast<float>(number(t[i].substr(eq + 1)));
    }
    score_.instruments.push_back(ins);
    score_.automation_.resize(score_.instruments.size() * P_COUNT);
  }

  chord parse_chord(const std::string &s) const {
    static const std::map<std::string, std::vector<int>> qualities = {
        {"", {0, 4, 7}},          {"m", {0, 3, 7}},        {"7", {0, 4, 7, 10}},
        {"m7", {0, 3, 7, 10}},    {"maj7", {0, 4, 7, 11}}, {"sus2", {0, 2, 7}},
        {"sus4", {0, 5, 7}},      {"add9", {0, 4, 7, 14}}, {"madd9", {0, 3, 7, 14}},
        {"6", {0, 4, 7, 9}},      {"m6", {0, 3, 7, 9}},    {"dim", {0, 3, 6}},
        {"m9", {0, 3, 7, 10, 14}}};
    size_t i = 0;
    int pc = letter(s, i);
    if (pc < 0)
      fail("bad chord '" + s + "'");
    auto q = qualities.find(s.substr(i));
    if (q == qualities.end())
      fail("unknown chord quality in '" + s + "'");
    return chord{pc, q->second};
  }

  // Note letter with optional accidental; advances i. -1 if none.
  static int letter(const std::string &s, size_t &i) {
    static const int base[7] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    if (i >= s.size() || s[i] < 'A' || s[i] > 'G')
      return -1;
    int pc = base[s[i] - 'A'];
    ++i;
    if (i < s.size() && s[i] == '#') {
      ++pc;
      ++i;
    } else if (i < s.size() && s[i] == 'b') {
      --pc;
      ++i;
    }
    return (pc + 12) % 12;
  }

  step parse_pitched_step(std::string s) const {
    step st;
    if (s == ".")
      return st;
    if (s == "-") {
      st.type = step::hold;
      return st;
    }
    st.type = step::hit;
    while (!s.empty() && s.back() == '\'') {
      st.velocity *= 0.65f;
      s.pop_back();
    }
    auto offset_at = [&](size_t i) {
      if (i == s.size())
        return 0;
      if (s[i] != '+' && s[i] != '-')
        fail("bad note '" + s + "'");
      return static_cast<int>(number(s.substr(i)));
    };
    if (s == "*") {
      st.pitch_kind = step::whole_chord;
    } else if (s[0] == 'r') {
      st.pitch_kind = step::root;
      st.offset = offset_at(1);
    } else if (s[0] == 'c' && s.size() >= 2 && s[1] >= '1' && s[1] <= '5') {
      st.pitch_kind = step::tone;
      st.value = s[1] - '1';
      st.offset = offset_at(2);
    } else {
      size_t i = 0;
      int pc = letter(s, i);
      if (pc < 0 || i >= s.size())
        fail("bad note '" + s + "'");
      int oct = static_cast<int>(number(s.substr(i)));
      // B#/Cb cross the octave: the letter names the octave, not the pitch class.
      int natural = s[0] == 'C' && pc == 11 ? -1 : (s[0] == 'B' && pc == 0 ? 1 : 0);
      st.value = (oct + 1 + natural) * 12 + pc;
      if (st.value < 12 || st.value > 120)
        fail("note out of range '" + s + "'");
    }
    return st;
  }

  void pattern_block(const std::vector<std::string> &t) {
    expect_args(t, 3, 3);
    if (patterns_.count(t[1]))
      fail("pattern '" + t[1] + "' defined twice");
    double bars = number(t[2]);
    if (bars <= 0 || bars > 64 || std::floor(bars * 4) != bars * 4)
      fail("pattern length must be a positive number of beats");
    pattern p;
    p.steps = static_cast<int>(bars * 16);
    for (++line_no_; line_no_ < lines_.size(); ++line_no_) {
      const auto &l = lines_[line_no_];
      if (l.empty())
        continue;
      if (l[0] == "end" && l.size() == 1) {
        patterns_[t[1]] = p;
        return;
      }
      pattern_line pl;
      std::string ins = l[0];
      auto colon = ins.find(':');
      if (colon != std::string::npos) {
        pl.marker = ins.substr(colon + 1);
        ins.erase(colon);
        if (!is_accent_name(pl.marker))
          fail("'" + pl.marker + "' is not an accent event name");
      }
      pl.instrument = instrument_ref(ins);
      const instrument &in = score_.instruments[pl.instrument];
      if (in.pitched) {
        for (size_t i = 1; i < l.size(); ++i)
          if (l[i] != "|")
            pl.steps.push_back(parse_pitched_step(l[i]));
      } else {
        for (size_t i = 1; i < l.size(); ++i)
          for (char c : l[i]) {
            step st;
            if (c == 'x' || c == 'o') {
              st.type = step::hit;
              st.velocity = c == 'x' ? 1.0f : 0.6f;
            } else if (c == '-') {
              st.type = step::hold;
            } else if (c != '.' && c != '|') {
              fail(std::string("unexpected '") + c + "' in a drum line");
            }
            if (c != '|')
              pl.steps.push_back(st);
          }
      }
      if (pl.steps.empty() || p.steps % pl.steps.size() != 0)
        fail("line of " + std::to_string(pl.steps.size()) + " steps does not divide the " +
             std::to_string(p.steps) + " steps of the pattern");
      if (!pl.marker.empty() && in.pitched)
        for (const auto &st : pl.steps)
          if (st.type == step::hit && st.pitch_kind == step::whole_chord)
            fail("a chord cannot carry a marker");
      p.lines.push_back(pl);
    }
    fail("pattern '" + t[1] + "' has no end");
  }

  const chord &chord_at(int pos16) const {
    auto h = harmony_.find(pos16 / 16);
    if (h == harmony_.end())
      fail("no harmony at bar " + std::to_string(pos16 / 16 + 1) + " for a chord-relative note");
    return h->second;
  }

  // Chord tones stacked upward from the root in the instrument's octave.
  static std::vector<int> stacked(const chord &c, int octave) {
    std::vector<int> out;
    int root = (octave + 1) * 12 + c.root;
    for (int iv : c.intervals)
      out.push_back(root + iv);
    if (c.intervals.size() == 3)
      out.push_back(root + 12);
    return out;
  }

  // The inversion of the chord whose mean pitch lies nearest the middle of
  // the instrument's octave; keeps successive chords in one register.
  static std::vector<int> voiced(const chord &c, int octave) {
    std::vector<int> pcs;
    for (int iv : c.intervals)
      pcs.push_back((c.root + iv) % 12);
    const double centre = (octave + 1) * 12 + 7;
    std::vector<int> best;
    double best_d = 1e9;
    for (size_t inv = 0; inv < pcs.size(); ++inv)
      for (int shift = -1; shift <= 1; ++shift) {
        std::vector<int> v;
        int prev = (octave + 1 + shift) * 12 + pcs[inv];
        v.push_back(prev);
        for (size_t k = 1; k < pcs.size(); ++k) {
          int n = (prev / 12) * 12 + pcs[(inv + k) % pcs.size()];
          while (n <= prev)
            n += 12;
          v.push_back(n);
          prev = n;
        }
        double mean = 0;
        for (int n : v)
          mean += n;
        mean /= v.size();
        if (std::fabs(mean - centre) < best_d - 1e-9) {
          best_d = std::fabs(mean - centre);
          best = v;
        }
      }
    return best;
  }

  void emit(int ins, double pos, int len16, float pitch, float vel, const std::string &marker) {
    const instrument &in = score_.instruments[ins];
    int whole = static_cast<int>(std::floor(pos));
    if (whole % 2 == 1)
      pos += in.params[P_SWING];
    score_note n;
    n.instrument = ins;
    n.pos = pos;
    n.sample = sample_of(pos);
    n.length_s = len16 * score_.sixteenth_s();
    n.pitch = pitch;
    n.velocity = vel;
    n.marker = marker;
    score_.notes.push_back(n);
    if (!marker.empty())
      score_.timeline.push_back({n.sample, sample_to_ms(n.sample), marker, false, 2});
  }

  void play(const pattern &p, int from, int to) {
    for (int rep = from; rep < to; rep += p.steps)
      for (const auto &l : p.lines) {
        const instrument &in = score_.instruments[l.instrument];
        int n = static_cast<int>(l.steps.size());
        for (int base = 0; base < p.steps; base += n)
          for (int i = 0; i < n; ++i) {
            const step &st = l.steps[i];
            int pos = rep + base + i;
            if (pos >= to)
              break;
            if (st.type != step::hit)
              continue;
            int len = 1;
            while (i + len < n && l.steps[i + len].type == step::hold && pos + len < to)
              ++len;
            int oct = static_cast<int>(in.params[P_OCT]);
            if (!in.pitched) {
              emit(l.instrument, pos, len, 0, st.velocity, l.marker);
            } else if (st.pitch_kind == step::absolute) {
              emit(l.instrument, pos, len, st.value, st.velocity, l.marker);
            } else if (st.pitch_kind == step::root) {
              const chord &c = chord_at(pos);
              emit(l.instrument, pos, len, (oct + 1) * 12 + c.root + st.offset, st.velocity,
                   l.marker);
            } else if (st.pitch_kind == step::tone) {
              auto tones = stacked(chord_at(pos), oct);
              if (st.value >= static_cast<int>(tones.size()))
                fail("chord tone c" + std::to_string(st.value + 1) + " beyond the chord");
              emit(l.instrument, pos, len, tones[st.value] + st.offset, st.velocity, l.marker);
            } else {
              for (int note : voiced(chord_at(pos), oct))
                emit(l.instrument, pos, len, note, st.velocity, "");
            }
          }
      }
  }

  void hit_statement(const std::vector<std::string> &t) {
    // hit <at> <instrument>[:marker] [sixteenths] [note]
    expect_args(t, 3, 5);
    notes_started_ = true;
    std::string ins = t[2], marker;
    auto colon = ins.find(':');
    if (colon != std::string::npos) {
      marker = ins.substr(colon + 1);
      ins.erase(colon);
      if (!is_accent_name(marker))
        fail("'" + marker + "' is not an accent event name");
    }
    int i = instrument_ref(ins);
    int len = t.size() > 3 ? static_cast<int>(number(t[3])) : 1;
    if (len < 1)
      fail("hit length must be at least one sixteenth");
    float pitch = 0;
    if (t.size() > 4) {
      step st = parse_pitched_step(t[4]);
      if (st.type != step::hit || st.pitch_kind != step::absolute)
        fail("a hit takes an absolute note");
      pitch = static_cast<float>(st.value);
    }
    emit(i, position(t[1]), len, pitch, 1.0f, marker);
  }

  void automation_statement(const std::vector<std::string> &t) {
    // set <ins>.<param> <at> <value> | sweep <ins>.<param> <from> <to> <v0> <v1> [exp]
    bool sweep = t[0] == "sweep";
    expect_args(t, sweep ? 6 : 4, sweep ? 7 : 4);
    auto dot = t[1].find('.');
    if (dot == std::string::npos)
      fail("expected instrument.parameter, got '" + t[1] + "'");
    int ins = instrument_ref(t[1].substr(0, dot));
    param_id p = param_ref(t[1].substr(dot + 1));
    param_segment seg;
    seg.start = sample_of(position(t[2]));
    if (sweep) {
      seg.end = sample_of(position(t[3]));
      seg.from = static_cast<float>(number(t[4]));
      seg.to = static_cast<float>(number(t[5]));
      if (seg.end <= seg.start)
        fail("empty sweep");
      if (t.size() == 7) {
        if (t[6] != "exp")
          fail("unknown sweep shape '" + t[6] + "'");
        if (seg.from <= 0 || seg.to <= 0)
          fail("an exponential sweep needs positive values");
        seg.exponential = true;
      }
    } else {
      seg.end = seg.start;
      seg.from = seg.to = static_cast<float>(number(t[3]));
    }
    auto &lane = score_.automation_[ins * P_COUNT + p];
    if (!lane.empty() && lane.back().end > seg.start)
      fail("automation of '" + t[1] + "' overlaps or goes back in time");
    lane.push_back(seg);
  }

  void finish() {
    auto &n = score_.notes;
    std::stable_sort(n.begin(), n.end(),
                     [](const score_note &a, const score_note &b) { return a.sample < b.sample; });
    for (size_t i = 0; i < n.size(); ++i)
      n[i].seed = static_cast<uint32_t>(i + 1);
    auto &tl = score_.timeline;
    std::stable_sort(tl.begin() + 1, tl.end(),
                     [](const timeline_event &a, const timeline_event &b) {
                       return a.ms != b.ms ? a.ms < b.ms : a.rank < b.rank;
                     });
    for (size_t i = 1; i < tl.size(); ++i) {
      if (tl[i].comment)
        continue;
      for (size_t j = i + 1; j < tl.size() && tl[j].ms == tl[i].ms; ++j)
        if (!tl[j].comment && tl[j].name == tl[i].name)
          throw score_error(src_ + ": two '" + tl[i].name + "' events at " +
                            format_marker_time(tl[i].ms));
    }
    int64_t end = score_.length_samples();
    for (const auto &e : tl)
      if (e.sample >= end)
        throw score_error(src_ + ": event '" + e.name + "' lies beyond the length");
  }
};

cScore cScore::parse(const std::string &text, const std::string &source_name) {
  return cScoreParser(text, source_name).run();
}

cScore cScore::load(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw score_error("cannot open score '" + path + "'");
  std::stringstream ss;
  ss << in.rdbuf();
  return parse(ss.str(), path);
}

int64_t cScore::length_samples() const { return std::llround(length_s * snd::kRate); }

int cScore::find_instrument(const std::string &name) const {
  for (size_t i = 0; i < instruments.size(); ++i)
    if (instruments[i].name == name)
      return static_cast<int>(i);
  return -1;
}

bool cScore::automated(int ins, param_id id) const {
  return !automation_[ins * P_COUNT + id].empty();
}

float cScore::param(int ins, param_id id, int64_t sample) const {
  const auto &lane = automation_[ins * P_COUNT + id];
  float value = instruments[ins].params[id];
  for (const auto &seg : lane) {
    if (sample < seg.start)
      break;
    if (sample >= seg.end) {
      value = seg.to;
      continue;
    }
    double f = static_cast<double>(sample - seg.start) / static_cast<double>(seg.end - seg.start);
    value = seg.exponential ? static_cast<float>(seg.from * std::pow(seg.to / seg.from, f))
                            : static_cast<float>(seg.from + (seg.to - seg.from) * f);
    break;
  }
  return value;
}

int32_t sample_to_ms(int64_t sample) {
  return static_cast<int32_t>((sample * 1000 + snd::kRate / 2) / snd::kRate);
}

std::string format_marker_time(int32_t ms) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60,
                ms / 1000 % 60, ms % 1000);
  return buf;
}

std::string markers_text(const cScore &score, const std::string &source_name) {
  std::string out = "# Timeline of the show, generated from " + source_name +
                    " by the soundtrack tool; edit the score, not this file.\n"
                    "# Times are relative to the music start (m_start).\n";
  for (const auto &e : score.timeline) {
    if (e.comment)
      out += "\n# " + format_marker_time(e.ms) + "  " + e.name + "\n";
    else
      out += e.name + " " + format_marker_time(e.ms) + "\n";
  }
  return out;
}
