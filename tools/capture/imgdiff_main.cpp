// demo-imgdiff: compares two PNG files with a tolerance and prints both
// measures. Exit 0 within the limits, 1 beyond them, 2 for unusable input.
#include "cImageCompare.h"
#include "cRgbImage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const char kUsage[] =
    "usage: demo-imgdiff [options] EXPECTED.png ACTUAL.png\n"
    "Compares two pictures of the same size and prints the mean absolute difference\n"
    "of all channel values (0-255) and the share of pixels whose largest channel\n"
    "difference exceeds the threshold.\n"
    "  --threshold N     channel difference that counts a pixel as off (default 24)\n"
    "  --max-mean X      largest mean absolute difference accepted (default 1.5)\n"
    "  --max-share P     largest share of pixels off, in percent (default 1.0)\n"
    "  --diff OUT.png    also write |expected - actual| x 4 as a picture\n"
    "Exit status: 0 within both limits, 1 beyond a limit, 2 unreadable files,\n"
    "different sizes or bad options.\n";

bool parse_number(const char *text, double *value) {
  char *end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == '\0' && *value >= 0;
}
} // namespace

int main(int argc, char **argv) {
  cImageCompare compare;
  std::string diff_path;
  const char *files[2] = {nullptr, nullptr};
  int file_count = 0;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    double value = 0;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    bool takes_value =
        arg == "--threshold" || arg == "--max-mean" || arg == "--max-share" || arg == "--diff";
    if (takes_value) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "demo-imgdiff: %s needs a value\n%s", arg.c_str(), kUsage);
        return 2;
      }
      const char *text = argv[++i];
      if (arg == "--diff") {
        diff_path = text;
        continue;
      }
      if (!parse_number(text, &value)) {
        std::fprintf(stderr, "demo-imgdiff: bad value for %s: %s\n", arg.c_str(), text);
        return 2;
      }
      if (arg == "--threshold")
        compare.threshold = static_cast<int32_t>(value);
      else if (arg == "--max-mean")
        compare.max_mean_abs = value;
      else
        compare.max_share_off = value / 100.0;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "demo-imgdiff: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    } else if (file_count < 2) {
      files[file_count++] = argv[i];
    } else {
      std::fprintf(stderr, "demo-imgdiff: too many files\n%s", kUsage);
      return 2;
    }
  }
  if (file_count != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  cRgbImage expected, actual;
  if (!expected.load_png(files[0]) || !actual.load_png(files[1]))
    return 2;
  image_difference d = compare.compare(expected, actual);
  if (!d.comparable) {
    std::printf("%s vs %s: sizes differ (%dx%d, %dx%d)\n", files[0], files[1], expected.width,
                expected.height, actual.width, actual.height);
    return 2;
  }
  bool ok = compare.within_limits(d);
  std::printf("%s vs %s: mean abs difference %.3f (limit %.3f), pixels off by more than %d: "
              "%.3f%% (limit %.3f%%): %s\n",
              files[0], files[1], d.mean_abs, compare.max_mean_abs, compare.threshold,
              100.0 * d.share_off, 100.0 * compare.max_share_off, ok ? "ok" : "DIFFERENT");
  if (!diff_path.empty() &&
      !cImageCompare::difference_picture(expected, actual).save_png(diff_path))
    return 2;
  return ok ? 0 : 1;
}
