// Private Xvfb servers and demo child processes for end-to-end tests.
#include "support/demo_process.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

void sleep_seconds(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The server picks a free display number itself and writes it to a pipe once
// it accepts connections, so tests started side by side never share one.
VirtualDisplay::VirtualDisplay() {
  int number_pipe[2];
  if (pipe(number_pipe) != 0)
    return;
  server_pid = fork();
  if (server_pid == 0) {
    close(number_pipe[0]);
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    dup2(devnull, 2);
    const std::string fd = std::to_string(number_pipe[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", "-nolisten",
           "tcp", static_cast<char *>(nullptr));
    _exit(127);
  }
  close(number_pipe[1]);
  std::string number;
  pollfd ready{number_pipe[0], POLLIN, 0};
  char c = 0;
  while (server_pid > 0 && poll(&ready, 1, 10000) == 1 && read(number_pipe[0], &c, 1) == 1 &&
         c != '\n')
    number += c;
  close(number_pipe[0]);
  if (!number.empty()) {
    display_name = ":" + number;
    dpy = XOpenDisplay(display_name.c_str());
  }
  if (!dpy && server_pid > 0) {
    kill(server_pid, SIGTERM);
    waitpid(server_pid, nullptr, 0);
    server_pid = -1;
  }
}

VirtualDisplay::~VirtualDisplay() {
  if (dpy)
    XCloseDisplay(dpy);
  if (server_pid > 0) {
    kill(server_pid, SIGTERM);
    waitpid(server_pid, nullptr, 0);
  }
}

DemoTree::DemoTree() {
  char pattern[] = "/tmp/demo_tree_XXXXXX";
  root = mkdtemp(pattern);
  fs::create_directories(root + "/run");
  fs::create_directories(root + "/data");
  fs::create_directory_symlink(DEMO_SOURCE_DIR "/src", root + "/src");
  // The scenes load their meshes and pictures at start-up: the checkout's
  // (made by the data target), linked, so never write or remove inside them.
  for (const char *dir : {"models", "textures"})
    if (fs::is_directory(DEMO_SOURCE_DIR "/data/" + std::string(dir)))
      fs::create_directory_symlink(DEMO_SOURCE_DIR "/data/" + std::string(dir),
                                   root + "/data/" + dir);
  // Pictures at the top of data/ too (the greetings); the timeline and the
  // music are each test's own.
  std::error_code ec;
  for (const auto &entry : fs::directory_iterator(DEMO_SOURCE_DIR "/data", ec)) {
    const std::string ext = entry.path().extension().string();
    if (entry.is_regular_file() && (ext == ".jpg" || ext == ".png"))
      fs::create_symlink(entry.path(), root + "/data/" + entry.path().filename().string());
  }
}

DemoTree::~DemoTree() {
  std::error_code ec;
  fs::remove_all(root, ec);
}

void DemoTree::write_file(const std::string &relative, const std::string &contents) const {
  fs::create_directories(fs::path(root + "/" + relative).parent_path());
  std::ofstream(root + "/" + relative, std::ios::binary) << contents;
}

void DemoTree::remove_file(const std::string &relative) const { fs::remove(root + "/" + relative); }

DemoProcess::DemoProcess(const DemoTree &tree, const VirtualDisplay &display,
                         const std::string &binary, std::vector<std::string> extra_env,
                         std::vector<std::string> args)
    : display(display), out_path(tree.root + "/stdout.txt"), err_path(tree.root + "/stderr.txt") {
  pid = fork();
  if (pid == 0) {
    if (chdir((tree.root + "/run").c_str()) != 0)
      _exit(126);
    setenv("DISPLAY", display.name().c_str(), 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (const std::string &kv : extra_env)
      putenv(strdup(kv.c_str()));
    freopen(out_path.c_str(), "w", stdout);
    freopen(err_path.c_str(), "w", stderr);
    std::vector<char *> argv = {const_cast<char *>(binary.c_str())};
    for (const std::string &a : args)
      argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
}

DemoProcess::~DemoProcess() {
  if (!exited && pid > 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
}

bool DemoProcess::running() {
  if (exited)
    return false;
  int st = 0;
  if (waitpid(pid, &st, WNOHANG) == pid) {
    exited = true;
    status = st;
    return false;
  }
  return true;
}

namespace {
Window find_named(Display *dpy, Window w, const char *title) {
  char *name = nullptr;
  if (XFetchName(dpy, w, &name) && name) {
    bool match = std::strcmp(name, title) == 0;
    XFree(name);
    if (match)
      return w;
  }
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(dpy, w, &root, &parent, &children, &count))
    return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && !found; ++i)
    found = find_named(dpy, children[i], title);
  if (children)
    XFree(children);
  return found;
}

// A window may close between the tree listing and the name query; Xlib's
// default handler would end the test process on that BadWindow.
int skip_vanished_windows(Display *, XErrorEvent *) { return 0; }
} // namespace

bool DemoProcess::wait_for_window(double seconds) {
  Display *dpy = display.connection();
  auto previous = XSetErrorHandler(skip_vanished_windows);
  bool found = false;
  for (double t = 0; t < seconds && !found; t += 0.05) {
    window = find_named(dpy, DefaultRootWindow(dpy), "OpenGL");
    found = window != 0;
    if (!found && !running())
      break;
    if (!found)
      sleep_seconds(0.05);
  }
  XSync(dpy, False);
  XSetErrorHandler(previous);
  return found;
}

void DemoProcess::press(unsigned long keysym, double hold_seconds) {
  Display *dpy = display.connection();
  KeyCode code = XKeysymToKeycode(dpy, keysym);
  XTestFakeKeyEvent(dpy, code, True, 0);
  XFlush(dpy);
  sleep_seconds(hold_seconds);
  XTestFakeKeyEvent(dpy, code, False, 0);
  XFlush(dpy);
}

int DemoProcess::hold_until_exit(unsigned long keysym, double seconds) {
  Display *dpy = display.connection();
  KeyCode code = XKeysymToKeycode(dpy, keysym);
  XTestFakeKeyEvent(dpy, code, True, 0);
  XFlush(dpy);
  const int status = wait_exit(seconds);
  XTestFakeKeyEvent(dpy, code, False, 0);
  XFlush(dpy);
  return status;
}

void DemoProcess::close_window() {
  Display *dpy = display.connection();
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(dpy, window, False, NoEventMask, &event);
  XFlush(dpy);
}

int DemoProcess::wait_exit(double seconds) {
  for (double t = 0; t < seconds && running(); t += 0.02)
    sleep_seconds(0.02);
  if (running()) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    exited = true;
    return -1000;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -128 - WTERMSIG(status);
}

std::string DemoProcess::out() const { return read_file(out_path); }
std::string DemoProcess::err() const { return read_file(err_path); }

tool_result run_to_end(const DemoTree &tree, const VirtualDisplay &display,
                       const std::string &binary, const std::vector<std::string> &args,
                       double timeout_seconds) {
  DemoProcess process(tree, display, binary, {}, args);
  tool_result r;
  r.status = process.wait_exit(timeout_seconds);
  r.out = process.out();
  r.err = process.err();
  return r;
}

std::string capture_frame_name(int32_t ms) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%07d.png", ms);
  return name;
}

bool screen_pixel(int x, int y, int rgb[3]) {
  static Display *dpy = XOpenDisplay(nullptr);
  if (!dpy)
    return false;
  XSync(dpy, False);
  XImage *image = XGetImage(dpy, DefaultRootWindow(dpy), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image)
    return false;
  unsigned long v = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  rgb[0] = static_cast<int>((v >> 16) & 255);
  rgb[1] = static_cast<int>((v >> 8) & 255);
  rgb[2] = static_cast<int>(v & 255);
  return true;
}
