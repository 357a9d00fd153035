// fork/exec with the streams sent to files beside the working folder, and the
// names of the frame files.
// Failures to start show up as exit status 127.
#include "tool_run.h"

#include "support/read_file.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

std::string capture_frame_name(int32_t ms) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%07d.png", ms);
  return name;
}

tool_result run_tool(const std::string &binary, const std::vector<std::string> &args,
                     const std::string &work_dir, const std::string &display,
                     double timeout_seconds) {
  const std::string out_path = work_dir + "/../tool-stdout.txt";
  const std::string err_path = work_dir + "/../tool-stderr.txt";
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(work_dir.c_str()) != 0)
      _exit(126);
    setenv("DISPLAY", display.c_str(), 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!std::freopen(out_path.c_str(), "w", stdout) ||
        !std::freopen(err_path.c_str(), "w", stderr))
      _exit(126);
    std::vector<char *> argv = {const_cast<char *>(binary.c_str())};
    for (const std::string &a : args)
      argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  tool_result result;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
  int st = 0;
  while (waitpid(pid, &st, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &st, 0);
      result.status = -1000;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (result.status != -1000)
    result.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  result.out = read_file(out_path);
  result.err = read_file(err_path);
  return result;
}
