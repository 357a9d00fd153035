// Fuzz target: markers text into the timeline, then every event popped.
#include "runtime/cEventQueue.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  cEventQueue queue;
  queue.load_text(reinterpret_cast<const char *>(data), size);
  int32_t previous = INT32_MIN;
  for (const demo_event *e = queue.head; e; e = e->next) {
    // Only named kinds: scenes, "s100" and the controls and accents after it.
    if (e->kind < 0 || e->kind > EV_SNOISE || e->kind == 12 || e->kind == EV_NUMBER)
      std::abort();
    // Sorted by time within each stretch between restart markers.
    if (e->kind == EV_M_START) {
      previous = INT32_MIN;
    } else {
      if (e->time < previous)
        std::abort();
      previous = e->time;
    }
  }
  while (queue.pop(INT32_MAX)) {
  }
  return 0;
}
