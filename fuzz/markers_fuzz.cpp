// Fuzz target: markers text into the timeline, then every event popped.
#include "runtime/cEventQueue.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  cEventQueue queue;
  queue.load_text(reinterpret_cast<const char *>(data), size);
  int32_t previous = INT32_MIN;
  bool after_restart = false;
  for (const demo_event *e = queue.head; e; e = e->next) {
    if (e->kind < 0 || e->kind > 28 || e->kind == 12 || e->kind == 13)
      std::abort();
    // Sorted by time within each stretch between restart markers.
    if (e->kind == 14) {
      after_restart = true;
      previous = INT32_MIN;
    } else {
      if (e->time < previous)
        std::abort();
      previous = e->time;
    }
  }
  (void)after_restart;
  while (queue.pop(INT32_MAX)) {
  }
  return 0;
}
