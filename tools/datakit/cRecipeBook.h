// The list of every asset the data build makes: one recipe per output file,
// named by its path under data/. A recipe returns the file's bytes and throws
// std::runtime_error when what it made is unfit for its scene.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct sRecipe {
  std::string output; // path under data/, such as "models/thing2.rar"
  std::function<std::vector<uint8_t>()> make;
};

class cRecipeBook {
public:
  // A second recipe for one output is a mistake in the book: it throws.
  void add(const std::string &output, std::function<std::vector<uint8_t>()> make);
  const std::vector<sRecipe> &recipes() const { return recipes_; }
  const sRecipe *find(const std::string &output) const;

private:
  std::vector<sRecipe> recipes_;
};
