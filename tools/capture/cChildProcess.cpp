// Child programs through posix_spawnp. The input pipe is close-on-exec so a
// later child cannot hold it open; SIGPIPE is ignored so that a program that
// stops reading turns into a failed write instead of ending the capture.
#include "cChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

cChildProcess::~cChildProcess() { wait(); }

bool cChildProcess::start(const std::vector<std::string> &argv, bool with_input) {
  if (argv.empty() || pid > 0)
    return false;
  std::vector<char *> args;
  for (const std::string &a : argv)
    args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);

  int fds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (with_input) {
    if (pipe2(fds, O_CLOEXEC) != 0) {
      posix_spawn_file_actions_destroy(&actions);
      return false;
    }
    std::signal(SIGPIPE, SIG_IGN);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
  }
  pid_t child = -1;
  int rc = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (with_input)
    close(fds[0]);
  if (rc != 0) {
    if (with_input)
      close(fds[1]);
    return false;
  }
  pid = child;
  input_fd = with_input ? fds[1] : -1;
  return true;
}

bool cChildProcess::write_all(const void *data, size_t size) {
  const char *p = static_cast<const char *>(data);
  while (size > 0 && input_fd >= 0) {
    ssize_t n = ::write(input_fd, p, size);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return size == 0;
}

void cChildProcess::close_input() {
  if (input_fd >= 0) {
    close(input_fd);
    input_fd = -1;
  }
}

int cChildProcess::wait() {
  close_input();
  if (pid <= 0)
    return -1;
  int status = 0;
  pid_t r;
  do
    r = waitpid(pid, &status, 0);
  while (r < 0 && errno == EINTR);
  pid = -1;
  if (r < 0 || !WIFEXITED(status))
    return -1;
  return WEXITSTATUS(status);
}

int cChildProcess::run(const std::vector<std::string> &argv) {
  cChildProcess child;
  if (!child.start(argv, false))
    return 127;
  return child.wait();
}
