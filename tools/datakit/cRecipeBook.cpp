// The recipe list (see cRecipeBook.h).
#include "cRecipeBook.h"

#include <stdexcept>

void cRecipeBook::add(const std::string &output, std::function<std::vector<uint8_t>()> make) {
  if (find(output))
    throw std::runtime_error("two recipes make \"" + output + "\"");
  recipes_.push_back({output, std::move(make)});
}

const sRecipe *cRecipeBook::find(const std::string &output) const {
  for (const sRecipe &r : recipes_)
    if (r.output == output)
      return &r;
  return nullptr;
}
