// Feeds arbitrary bytes to the MTL reader and looks every parsed material up
// by name again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "assets/cMtlLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  cMtlLoader loader;
  loader.parse(reinterpret_cast<const char *>(data), size, "fuzz.mtl");
  for (const cMaterial &m : loader.materials) {
    const cMaterial *found = find_material(loader.materials, m.name);
    if (!found || found->name != m.name)
      std::abort();
  }
  return 0;
}
