// Markers parsing and the sorted timeline list.
#include "runtime/cEventQueue.h"

#include "runtime/marker_names.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
constexpr size_t kLineBuffer = 512;

bool is_token_end(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool is_time_end(char c) { return is_token_end(c) || c == ','; }

// strtol over a bounded field: leading blanks and a sign, then digits.
int32_t read_number(const char *text, size_t length) {
  std::string field(text, length);
  return static_cast<int32_t>(std::strtol(field.c_str(), nullptr, 10));
}

// hours:minutes:seconds.milliseconds; missing parts count as 0. Absurd
// values wrap to 32 bits instead of overflowing.
int64_t parse_time(const char *token, size_t length) {
  int64_t fields[3] = {0, 0, 0};
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const char *colon =
        i < 2 ? static_cast<const char *>(std::memchr(token + start, ':', length - start))
              : nullptr;
    size_t end = colon ? static_cast<size_t>(colon - token) : length;
    fields[i] = read_number(token + start, end - start);
    if (!colon)
      break;
    start = end + 1;
  }
  return fields[0] * 3600000 + fields[1] * 60000 + fields[2] * 1000;
}
} // namespace

int32_t classify_marker(const char *line, size_t length) {
  size_t token = 0;
  while (token < length && !is_token_end(line[token]))
    ++token;
  // The digit test sits between the accents and the scene switches.
  const int32_t accent = find_marker(kAccentMarkers, line, token);
  if (accent != EV_UNKNOWN)
    return accent;
  if (token > 0 && std::isdigit(static_cast<unsigned char>(line[0])))
    return EV_NUMBER;
  const int32_t scene = scene_marker_index(line, token);
  if (scene >= 0)
    return scene;
  return find_marker(kControlMarkers, line, token);
}

demo_event *parse_marker_line(const char *line, size_t length) {
  if (length == 0)
    return nullptr;
  int32_t kind = classify_marker(line, length);
  if (kind == EV_UNKNOWN || kind == EV_NUMBER)
    return nullptr;

  size_t pos = 0;
  while (pos < length && !is_token_end(line[pos]))
    ++pos;
  while (pos < length && is_time_end(line[pos]))
    ++pos;
  size_t time_start = pos;
  while (pos < length && !is_time_end(line[pos]))
    ++pos;
  const char *token = line + time_start;
  size_t token_length = pos - time_start;
  if (token_length == 0)
    return nullptr; // a name without a time is no event

  int64_t time = parse_time(token, token_length);
  // Milliseconds start three characters after the seconds field begins; with
  // a comma separator they follow the end of the time token.
  const char *second_colon = nullptr;
  const char *first_colon = static_cast<const char *>(std::memchr(token, ':', token_length));
  if (first_colon)
    second_colon = static_cast<const char *>(
        std::memchr(first_colon + 1, ':', token + token_length - first_colon - 1));
  if (second_colon) {
    size_t ms_start = static_cast<size_t>(second_colon + 1 - line) + 3;
    if (ms_start < length) {
      size_t ms_end = ms_start;
      while (ms_end < length && !is_token_end(line[ms_end]) && line[ms_end] != ',')
        ++ms_end;
      time += read_number(line + ms_start, ms_end - ms_start);
    }
  }

  auto *event = new demo_event;
  event->kind = kind;
  event->time = static_cast<int32_t>(static_cast<uint32_t>(time));
  return event;
}

cEventQueue::~cEventQueue() { clear(); }

void cEventQueue::clear() {
  for (demo_event *e = head; e;) {
    demo_event *next = e->next;
    delete e;
    e = next;
  }
  head = tail = cursor = nullptr;
}

void cEventQueue::insert(demo_event *event) {
  if (!head) {
    head = tail = event;
    return;
  }
  // Times behind a restart are relative to it: the search starts after the
  // last "m_start", so no event ever moves in front of one.
  demo_event *prev = nullptr;
  for (demo_event *e = head; e; e = e->next)
    if (e->kind == EV_M_START)
      prev = e;
  for (demo_event *e = prev ? prev->next : head; e; prev = e, e = e->next) {
    if (e->time > event->time && e->kind != EV_M_START) {
      event->next = e;
      if (prev)
        prev->next = event;
      else
        head = event;
      return;
    }
  }
  tail->next = event;
  tail = event;
}

void cEventQueue::load_text(const char *text, size_t size) {
  size_t pos = 0;
  while (pos < size) {
    const char *end = static_cast<const char *>(std::memchr(text + pos, '\n', size - pos));
    size_t line_end = end ? static_cast<size_t>(end - text) : size;
    size_t length = line_end - pos;
    // At most 511 characters fit the line buffer; a longer line stops reading.
    if (length > kLineBuffer - 1)
      break;
    if (demo_event *event = parse_marker_line(text + pos, length))
      insert(event);
    pos = line_end + 1;
  }
  cursor = head;
}

void cEventQueue::loadFile(std::string name) {
  FILE *file = std::fopen(name.c_str(), "r");
  if (!file) {
    std::printf("Error reading file \"%s in cEventQueue::loadFile\n", name.c_str());
    std::fflush(stdout);
    std::exit(-1);
  }
  std::string text;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    text.append(chunk, n);
  std::fclose(file);
  load_text(text.data(), text.size());
}

const demo_event *cEventQueue::pop(int32_t t) {
  if (!cursor || cursor->time >= t)
    return nullptr;
  demo_event *event = cursor;
  cursor = cursor->next;
  return event;
}

void cEventQueue::dump() const {
  for (const demo_event *e = head; e; e = e->next)
    std::fprintf(stderr, "%d %d\n", e->time, e->kind);
  if (head)
    std::fprintf(stderr, "head: %d %d\n", head->time, head->kind);
  if (tail)
    std::fprintf(stderr, "tail: %d %d\n", tail->time, tail->kind);
}
