// Test support: a private Xvfb server, and the real demo program or a tool
// run in a temporary tree (run/, data/, src/) under it, with keys sent
// through XTest.
#pragma once

#include "support/read_file.h"

#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

class VirtualDisplay {
public:
  VirtualDisplay();
  ~VirtualDisplay();
  const std::string &name() const { return display_name; }
  _XDisplay *connection() const { return dpy; }
  bool ok() const { return dpy != nullptr; }

private:
  std::string display_name;
  int server_pid = -1;
  _XDisplay *dpy = nullptr;
};

// A temporary tree whose run/ folder is the working directory of the demo;
// its data/ holds the test's own files beside the checkout's models and
// textures.
class DemoTree {
public:
  DemoTree();
  ~DemoTree();
  std::string root;
  std::string data() const { return root + "/data"; }
  void write_file(const std::string &relative, const std::string &contents) const;
  void remove_file(const std::string &relative) const;
};

class DemoProcess {
public:
  DemoProcess(const DemoTree &tree, const VirtualDisplay &display, const std::string &binary,
              std::vector<std::string> extra_env = {}, std::vector<std::string> args = {});
  ~DemoProcess();
  // Waits for the window titled "OpenGL"; false on timeout or early exit.
  bool wait_for_window(double seconds);
  void press(unsigned long keysym, double hold_seconds = 0.05);
  // Holds a key down until the program exits, then lets it go: the program
  // reads key states once a frame, and a frame under load can outlast any
  // fixed hold. Returns wait_exit's status.
  int hold_until_exit(unsigned long keysym, double seconds);
  void close_window();
  // Waits for the exit status (or -1000 on timeout, after killing it).
  int wait_exit(double seconds);
  bool running();
  std::string out() const;
  std::string err() const;

private:
  const VirtualDisplay &display;
  std::string out_path, err_path;
  unsigned long window = 0;
  int pid = -1;
  int status = -1;
  bool exited = false;
};

// The program run to its end: exit status (-1000 past the time limit) and output.
struct tool_result {
  int status = -1;
  std::string out, err;
};
tool_result run_to_end(const DemoTree &tree, const VirtualDisplay &display,
                       const std::string &binary, const std::vector<std::string> &args,
                       double timeout_seconds);
// The file name the capture writes for the frame of --at MS.
std::string capture_frame_name(int32_t ms);

void sleep_seconds(double seconds);
// Reads one pixel of what the X server of $DISPLAY shows (x, y from the top
// left of the root window); false if it cannot be read. A swapped GL frame
// of a multisampled window is only reliably readable this way.
bool screen_pixel(int x, int y, int rgb[3]);
