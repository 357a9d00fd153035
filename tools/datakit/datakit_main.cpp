// datakit: makes every mesh, picture and archive of the show under the data
// directory. Usage: datakit DATA_DIR [--stamp FILE] [--jobs N] [--list]
// [OUTPUT...]. Writes only files whose bytes changed; the stamp, written
// after a run where every recipe succeeded, lists the outputs. Any failure
// is reported and ends with status 1.
#include "cDataBuilder.h"
#include "recipes.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

int usage() {
  std::fprintf(stderr, "usage: datakit DATA_DIR [--stamp FILE] [--jobs N] [--list] [OUTPUT...]\n");
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2)
    return usage();
  const std::string data_dir = argv[1];
  std::string stamp;
  unsigned jobs = std::thread::hardware_concurrency();
  bool list = false;
  std::vector<std::string> names;
  for (int i = 2; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--stamp") && i + 1 < argc)
      stamp = argv[++i];
    else if (!std::strcmp(argv[i], "--jobs") && i + 1 < argc)
      jobs = unsigned(std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--list"))
      list = true;
    else if (argv[i][0] == '-')
      return usage();
    else
      names.push_back(argv[i]);
  }
  cRecipeBook book;
  try {
    add_show_recipes(book);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "datakit: %s\n", e.what());
    return 1;
  }
  if (list) {
    for (const sRecipe &r : book.recipes())
      std::printf("%s\n", r.output.c_str());
    return 0;
  }
  for (const std::string &n : names)
    if (!book.find(n)) {
      std::fprintf(stderr, "datakit: no recipe makes \"%s\"\n", n.c_str());
      return 1;
    }
  const auto t0 = std::chrono::steady_clock::now();
  cDataBuilder builder(data_dir, jobs);
  const bool ok = builder.run(book, names);
  size_t written = 0;
  for (const sBuildResult &r : builder.results())
    written += r.written ? 1 : 0;
  std::printf("datakit: %zu assets, %zu written, %.2f s\n", builder.results().size(), written,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  if (!ok)
    return 1;
  if (!stamp.empty()) {
    std::ofstream out(stamp, std::ios::trunc);
    for (const sBuildResult &r : builder.results())
      out << r.output << ' ' << r.bytes << '\n';
    if (!out.flush()) {
      std::fprintf(stderr, "datakit: cannot write the stamp \"%s\"\n", stamp.c_str());
      return 1;
    }
  }
  return 0;
}
