// Contact sheet tiles kept as PNG files in a private folder until montage
// lays them out. Date chunks are excluded so that equal frames give an equal
// file. A missing montage or a failed write prints "## ERROR" and fails.
#include "cContactSheet.h"

#include "cChildProcess.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
constexpr int32_t kTileShrink = 4;
const char kFont[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string tile_name(const std::string &dir, size_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "/tile-%05zu.png", index);
  return dir + name;
}
} // namespace

cContactSheet::cContactSheet(std::string path, int32_t columns)
    : path(std::move(path)), columns(columns > 0 ? columns : 1) {}

cContactSheet::~cContactSheet() {
  if (!work_dir.empty()) {
    std::error_code ec;
    fs::remove_all(work_dir, ec);
  }
}

std::string cContactSheet::label(int32_t demo_ms, int32_t scene) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%s%d.%03d", demo_ms < 0 ? "-" : "",
                std::abs(demo_ms / 1000), std::abs(demo_ms % 1000));
  std::string s = seconds;
  while (s.back() == '0')
    s.pop_back();
  if (s.back() == '.')
    s.pop_back();
  std::string text = s + " s \xC2\xB7 scene ";
  return text + (scene < 0 ? std::string("none") : std::to_string(scene));
}

bool cContactSheet::add(const cRgbImage &frame, int32_t demo_ms, int32_t scene) {
  if (finished)
    return false;
  if (work_dir.empty()) {
    std::string pattern = (fs::temp_directory_path() / "demo-sheet-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::fprintf(stderr, "## ERROR: no temporary folder for the contact sheet\n");
      return false;
    }
    work_dir = pattern;
  }
  if (!frame.shrunk(kTileShrink).save_png(tile_name(work_dir, labels.size())))
    return false;
  labels.push_back(label(demo_ms, scene));
  return true;
}

bool cContactSheet::finish() {
  if (finished)
    return result;
  finished = true;
  if (labels.empty()) {
    std::fprintf(stderr, "## ERROR: no frames for the contact sheet \"%s\"\n", path.c_str());
    return result = false;
  }
  std::vector<std::string> argv = {"montage"};
  if (fs::exists(kFont))
    argv.insert(argv.end(), {"-font", kFont});
  argv.insert(argv.end(), {"-pointsize", "12", "-background", "#202020", "-fill", "#e8e8e8",
                           "-tile", std::to_string(columns) + "x", "-geometry", "+4+4"});
  for (size_t i = 0; i < labels.size(); ++i)
    argv.insert(argv.end(), {"-label", labels[i], tile_name(work_dir, i)});
  // No time stamps in the file: the same frames give the same bytes.
  argv.insert(argv.end(), {"-define", "png:exclude-chunks=date,time", "+set", "date:create", "+set",
                           "date:modify", "+set", "date:timestamp"});
  argv.push_back("png24:" + path);
  int status = cChildProcess::run(argv);
  // The session lives until the process ends, so the tiles go now.
  std::error_code ec;
  fs::remove_all(work_dir, ec);
  work_dir.clear();
  if (status != 0) {
    std::fprintf(stderr, "## ERROR: montage failed (status %d) writing \"%s\"\n", status,
                 path.c_str());
    return result = false;
  }
  std::fprintf(stderr, "contact sheet: %zu frames in \"%s\"\n", labels.size(), path.c_str());
  return result = true;
}
