// A helper program (ffmpeg, montage) started by argument vector, without a
// shell, optionally fed through a pipe on its standard input. Start and
// write failures are returned; a program that cannot start exits 127.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class cChildProcess {
public:
  cChildProcess() = default;
  cChildProcess(const cChildProcess &) = delete;
  cChildProcess &operator=(const cChildProcess &) = delete;
  ~cChildProcess();

  // Starts argv[0] from PATH; with_input gives it a pipe as standard input
  // that no other child inherits.
  bool start(const std::vector<std::string> &argv, bool with_input);
  // Writes everything; false once the program no longer reads.
  bool write_all(const void *data, size_t size);
  void close_input();
  // Closes the input, waits, and returns the exit status (-1 if killed or
  // never started).
  int wait();
  bool started() const { return pid > 0; }

  // Starts, waits and returns the exit status.
  static int run(const std::vector<std::string> &argv);

private:
  int pid = -1;
  int input_fd = -1;
};
