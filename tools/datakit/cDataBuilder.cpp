// Parallel, incremental asset writing (see cDataBuilder.h).
#include "cDataBuilder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

cDataBuilder::cDataBuilder(std::string data_dir, unsigned jobs)
    : data_dir_(std::move(data_dir)), jobs_(jobs ? jobs : 1) {}

bool cDataBuilder::write_if_changed(const std::string &path, const std::vector<uint8_t> &bytes,
                                    bool &written) {
  written = false;
  {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      const std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
      if (old == bytes)
        return true;
    }
  }
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  const std::string part = path + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    if (!out.flush())
      return false;
  }
  fs::rename(part, path, ec);
  if (ec)
    return false;
  written = true;
  return true;
}

bool cDataBuilder::run(const cRecipeBook &book, const std::vector<std::string> &names) {
  std::vector<const sRecipe *> todo;
  for (const sRecipe &r : book.recipes())
    if (names.empty() || std::find(names.begin(), names.end(), r.output) != names.end())
      todo.push_back(&r);
  results_.assign(todo.size(), sBuildResult());
  std::atomic<size_t> next{0};
  std::mutex print;
  size_t done = 0;
  auto work = [&] {
    for (size_t i; (i = next++) < todo.size();) {
      sBuildResult &res = results_[i];
      res.output = todo[i]->output;
      const auto t0 = std::chrono::steady_clock::now();
      try {
        const std::vector<uint8_t> bytes = todo[i]->make();
        res.bytes = bytes.size();
        if (!write_if_changed(data_dir_ + "/" + res.output, bytes, res.written))
          res.error = "cannot write " + data_dir_ + "/" + res.output;
      } catch (const std::exception &e) {
        res.error = e.what();
      }
      res.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      std::lock_guard<std::mutex> lock(print);
      ++done;
      if (res.error.empty())
        std::printf("datakit [%zu/%zu] %-40s %9zu bytes  %-9s %6.2f s\n", done, todo.size(),
                    res.output.c_str(), res.bytes, res.written ? "written" : "unchanged",
                    res.seconds);
      else
        std::fprintf(stderr, "datakit [%zu/%zu] %s: %s\n", done, todo.size(), res.output.c_str(),
                     res.error.c_str());
      std::fflush(stdout);
    }
  };
  std::vector<std::thread> workers;
  const unsigned count = unsigned(std::min<size_t>(jobs_, todo.size()));
  for (unsigned k = 1; k < count; ++k)
    workers.emplace_back(work);
  work();
  for (std::thread &t : workers)
    t.join();
  bool ok = true;
  for (const sBuildResult &r : results_)
    ok = ok && r.error.empty();
  return ok;
}
