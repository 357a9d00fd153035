// Parsing of the demo's options, with its usage text.
// Every error is returned as text; nothing here ends the process.
#include "runtime/cDemoOptions.h"

#include <cerrno>
#include <cstdlib>

namespace {
const char kUsage[] =
    "usage: demo [options]\n"
    "Plays the show from ../data and ../src beside the program (or beside the current\n"
    "directory, where those exist). Without options: 800 x 600, full screen.\n"
    "\n"
    "  --window        a window instead of full screen\n"
    "  --size WxH      the window or screen size in pixels (for example 1920x1080);\n"
    "                  the 4:3 picture fills the largest centred area, black around it\n"
    "  --desktop       full screen at the desktop's current size, without a mode switch\n"
    "  --loop          start the show again at its end instead of exiting\n"
    "  --studio        a window with the studio keys and overlay\n"
    "  --from MS       start the show at demo time MS\n"
    "  --help          this text\n"
    "\n"
    "Keys: q or Escape end the show, Space prints the demo time.\n"
    "Exit status: 0 at the show's end, 2 for a bad command line, others for errors.\n";

bool parse_count(const std::string &text, long *value) {
  if (text.empty() || text[0] < '0' || text[0] > '9')
    return false;
  errno = 0;
  char *end = nullptr;
  *value = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0';
}
} // namespace

const char *cDemoOptions::usage() { return kUsage; }

std::string cDemoOptions::parse_size(const std::string &text, int32_t *width, int32_t *height) {
  const size_t x = text.find('x');
  long w = 0, h = 0;
  if (x == std::string::npos || !parse_count(text.substr(0, x), &w) ||
      !parse_count(text.substr(x + 1), &h))
    return "bad size \"" + text + "\": give it as WxH, for example 1920x1080";
  if (w < 4 || h < 3)
    return "size " + text + " is too small: at least 4x3";
  if (w > kLargestSide || h > kLargestSide)
    return "size " + text + " is beyond the largest GL viewport (" + std::to_string(kLargestSide) +
           " on a side)";
  *width = static_cast<int32_t>(w);
  *height = static_cast<int32_t>(h);
  return "";
}

std::string cDemoOptions::parse(int argc, const char *const *argv) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i], value;
    bool has_value = false;
    const size_t eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      has_value = true;
    }
    bool *flag = arg == "--help" || arg == "-h" ? &help
                 : arg == "--window"            ? &windowed
                 : arg == "--desktop"           ? &desktop
                 : arg == "--loop"              ? &loop
                 : arg == "--studio"            ? &studio
                                                : nullptr;
    if (flag) {
      if (has_value)
        return arg + " takes no value";
      *flag = true;
      continue;
    }
    if (arg != "--size" && arg != "--from")
      return "unknown option " + arg;
    if (!has_value) {
      if (i + 1 >= argc)
        return arg + " needs a value";
      value = argv[++i];
    }
    if (arg == "--size") {
      std::string error = parse_size(value, &width, &height);
      if (!error.empty())
        return error;
    } else {
      long ms = 0;
      if (!parse_count(value, &ms) || ms > 0x7fffffffL)
        return "bad time for --from: \"" + value + "\" (milliseconds, 0 or more)";
      from_ms = static_cast<int32_t>(ms);
    }
  }
  if (desktop && (width != 0 || windowed || studio))
    return "--desktop is full screen at the desktop's size: it goes with none of --size, "
           "--window and --studio";
  if (studio)
    windowed = true;
  return "";
}
