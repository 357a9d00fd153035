// The timeline: markers read from a text file into a time-sorted list that
// the director pops as events fall due. A file that cannot be opened is
// fatal (exit -1); unrecognised lines are skipped silently.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/demo_event.h"

class cEventQueue {
public:
  cEventQueue() = default;
  cEventQueue(const cEventQueue &) = delete;
  cEventQueue &operator=(const cEventQueue &) = delete;
  ~cEventQueue();

  void loadFile(std::string name);
  // Reads markers from memory, line by line, as loadFile does from a file.
  void load_text(const char *text, size_t size);
  // Next event due strictly before t, or null.
  const demo_event *pop(int32_t t);
  void insert(demo_event *event);
  void dump() const;
  void clear();

  demo_event *head = nullptr;
  demo_event *tail = nullptr;
  demo_event *cursor = nullptr;
};

// Classifies the start of a line: an event kind, 13 for a leading digit or
// -1 for anything else.
int32_t classify_marker(const char *line, size_t length);
// Parses one line (without its line end) into a new event, or null.
demo_event *parse_marker_line(const char *line, size_t length);
