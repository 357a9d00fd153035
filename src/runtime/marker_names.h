// The names of the timeline's markers and the event kinds they stand for,
// shared by the markers reader and the tool that writes the markers file.
// Lookups only; a name that is no marker gives EV_UNKNOWN or -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "runtime/demo_event.h"

struct marker_name {
  const char *name;
  int32_t kind;
};

// The beat accents, in the order the reader tries them.
inline constexpr marker_name kAccentMarkers[] = {
    {"sbd", EV_SBD},      {"sbip", EV_SBIP},     {"snare", EV_SNARE}, {"szap", EV_SZAP},
    {"sclap", EV_SCLAP},  {"snoise", EV_SNOISE}, {"bd", EV_BD},       {"fx1", EV_FX1},
    {"fx2", EV_FX2},      {"bd0", EV_BD0},       {"clap", EV_CLAP},   {"bd1", EV_BD1},
    {"bd-end", EV_BD_END}};
// Tried after the scene switches "s00" to "s10": one more accent, and the
// restart and stop of the music.
inline constexpr marker_name kControlMarkers[] = {
    {"s100", EV_S100}, {"m_start", EV_M_START}, {"m_stop", EV_M_STOP}};

// Events handed to the current scene.
constexpr bool is_accent_kind(int32_t kind) {
  return kind == EV_S100 || (kind >= EV_BD && kind <= EV_SNOISE);
}

// Kind of the name in one of the tables, or EV_UNKNOWN.
template <size_t N>
int32_t find_marker(const marker_name (&table)[N], const char *token, size_t length) {
  for (const marker_name &m : table)
    if (std::strlen(m.name) == length && std::memcmp(token, m.name, length) == 0)
      return m.kind;
  return EV_UNKNOWN;
}

// Kind of an accent or control name, or EV_UNKNOWN (scene switches excluded).
inline int32_t named_marker_kind(const char *token, size_t length) {
  const int32_t accent = find_marker(kAccentMarkers, token, length);
  return accent != EV_UNKNOWN ? accent : find_marker(kControlMarkers, token, length);
}

// Scene index of a switch marker "s00" to "s10", or -1.
inline int32_t scene_marker_index(const char *token, size_t length) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (length != 3 || token[0] != 's' || !digit(token[1]) || !digit(token[2]))
    return -1;
  const int32_t scene = (token[1] - '0') * 10 + (token[2] - '0');
  return scene <= EV_SCENE_LAST ? scene : -1;
}

// Name of an accent or control kind, or null.
inline const char *marker_kind_name(int32_t kind) {
  for (const marker_name &m : kAccentMarkers)
    if (m.kind == kind)
      return m.name;
  for (const marker_name &m : kControlMarkers)
    if (m.kind == kind)
      return m.name;
  return nullptr;
}
