// Command-line parsing of demo-capture, with its help text.
// Every error is returned as text; nothing here ends the process.
#include "cCaptureOptions.h"

#include "runtime/cDemoOptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {
const char kUsage[] =
    "usage: demo-capture OUTPUT... [options]\n"
    "Renders the show off-line, frame-exact, with a virtual clock. Run it like demo,\n"
    "from a directory whose parent holds data and src (for example build/); it loads\n"
    "the same timeline, music and scenes, in a window (a virtual display is fine).\n"
    "\n"
    "Outputs (any combination, at least one):\n"
    "  --at MS[,MS...]    PNG of the frame drawn at each capture time MS, written to\n"
    "                     DIR/frame-MMMMMMM.png (MS zero-padded to 7 digits)\n"
    "  --out DIR          folder for --at pictures, created if missing (default .)\n"
    "  --shrink N         --at pictures scaled down N times by block averaging (1-8)\n"
    "  --sheet FILE.png   contact sheet: frames every --every MS from --from to before\n"
    "                     --to, quarter size, --columns per row (default 6), each\n"
    "                     labelled \"<seconds> s \xC2\xB7 scene <index>\" (ImageMagick montage)\n"
    "  --every MS         contact sheet spacing (default 10000)\n"
    "  --columns N        contact sheet columns (default 6)\n"
    "  --video FILE.mp4   H.264 (yuv420p) video of the frames from --from to before --to\n"
    "                     at --fps, piped raw to ffmpeg, with ../data/demo-full.ogg\n"
    "                     muxed in sync (AAC); progress bar on stderr\n"
    "  --stats            wall-clock time of every frame from --from to before --to\n"
    "                     (update, clear, render, glFinish), printed per scene on\n"
    "                     stdout: frames, median ms, 95th percentile ms, max ms,\n"
    "                     the first frame's ms, fps\n"
    "Size:\n"
    "  --size WxH         window size in pixels for every output (default 800x600);\n"
    "                     the 4:3 picture fills its largest centred area, black bars\n"
    "                     around it, and every output is the whole window\n"
    "Timing:\n"
    "  --fps N            frame grid: frame n is drawn at capture time n*1000/N ms,\n"
    "                     rounded down (default 25, 1-240)\n"
    "  --from MS          start of the --sheet/--video/--stats range (default 0)\n"
    "  --to MS            end of that range, exclusive (default: the show's end, where\n"
    "                     scene 10 ends the program)\n"
    "\n"
    "The clock: after loading, the tool steps the grid until the timeline's first\n"
    "\"m_start\" restart has been dispatched; that frame is capture time 0, and demo\n"
    "time equals capture time until a later restart, after which demo time follows\n"
    "the timeline as in the demo. Every frame of the grid up to the last requested\n"
    "time is updated and rendered, as the demo would; a --at time between grid frames\n"
    "gets one extra frame at exactly that time. The same command gives identical\n"
    "PNG files. When the show ends the process (scene 10), the video, sheet and\n"
    "statistics are still completed. SDL_AUDIODRIVER defaults to dummy.\n"
    "Exit status: 0 done, 2 bad command line, 255 an output could not be written.\n";

bool parse_ms(const std::string &text, int32_t *value) {
  if (text.empty() || text[0] == '-' || text[0] == '+')
    return false;
  errno = 0;
  char *end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < 0 || v > 0x7fffffffL)
    return false;
  *value = static_cast<int32_t>(v);
  return true;
}
} // namespace

const char *cCaptureOptions::usage() { return kUsage; }

std::string cCaptureOptions::parse(int argc, const char *const *argv) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i], value;
    bool has_value = false;
    size_t eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      has_value = true;
    }
    if (arg == "--help" || arg == "-h") {
      help = true;
      continue;
    }
    if (arg == "--stats") {
      if (has_value)
        return "--stats takes no value";
      stats = true;
      continue;
    }
    static const char *const kValued[] = {"--at",    "--out",     "--shrink", "--sheet",
                                          "--every", "--columns", "--video",  "--fps",
                                          "--from",  "--to",      "--size"};
    if (std::find_if(std::begin(kValued), std::end(kValued),
                     [&](const char *name) { return arg == name; }) == std::end(kValued))
      return "unknown option " + arg;
    if (!has_value) {
      if (i + 1 >= argc)
        return arg + " needs a value";
      value = argv[++i];
    }
    auto number = [&](int32_t *out, int32_t low, int32_t high) -> std::string {
      if (!parse_ms(value, out) || *out < low || *out > high)
        return "bad value for " + arg + ": " + value;
      return "";
    };
    std::string error;
    if (arg == "--at") {
      size_t start = 0;
      while (error.empty()) {
        size_t comma = value.find(',', start);
        int32_t ms = 0;
        if (!parse_ms(value.substr(start, comma - start), &ms))
          error = "bad time in --at: " + value;
        else
          at_ms.push_back(ms);
        if (comma == std::string::npos)
          break;
        start = comma + 1;
      }
    } else if (arg == "--out" || arg == "--sheet" || arg == "--video") {
      if (value.empty())
        error = arg + " needs a file name";
      (arg == "--out" ? out_dir : arg == "--sheet" ? sheet_path : video_path) = value;
    } else if (arg == "--size") {
      error = cDemoOptions::parse_size(value, &width, &height);
    } else if (arg == "--shrink") {
      error = number(&shrink, 1, 8);
    } else if (arg == "--every") {
      error = number(&every_ms, 1, 0x7fffffff);
    } else if (arg == "--columns") {
      error = number(&columns, 1, 64);
    } else if (arg == "--fps") {
      error = number(&fps, 1, 240);
    } else if (arg == "--from") {
      error = number(&from_ms, 0, 0x7fffffff);
    } else {
      error = number(&to_ms, 0, 0x7fffffff);
    }
    if (!error.empty())
      return error;
  }
  if (help)
    return "";
  if (at_ms.empty() && !wants_range())
    return "nothing to do: give --at, --sheet, --video or --stats";
  if (wants_range() && from_ms >= to_ms)
    return "--from must be before --to";
  std::sort(at_ms.begin(), at_ms.end());
  at_ms.erase(std::unique(at_ms.begin(), at_ms.end()), at_ms.end());
  return "";
}

std::vector<int32_t> cCaptureOptions::sheet_times() const {
  std::vector<int32_t> times;
  if (sheet_path.empty())
    return times;
  for (int64_t t = from_ms; t < to_ms; t += every_ms)
    times.push_back(static_cast<int32_t>(t));
  return times;
}

int32_t cCaptureOptions::last_time() const {
  int32_t last = at_ms.empty() ? 0 : at_ms.back();
  if (!sheet_path.empty()) {
    std::vector<int32_t> sheet = sheet_times();
    if (!sheet.empty())
      last = std::max(last, sheet.back());
  }
  if (!video_path.empty() || stats)
    last = std::max(last, to_ms - 1);
  return last;
}
