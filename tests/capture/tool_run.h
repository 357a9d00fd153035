// Runs a capture program to completion in a working folder under a given X
// display, with its output streams kept, and names its frame files. A run
// past its time limit is killed and reported as status -1000.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct tool_result {
  int status = -1; // exit status, -1 if killed by a signal, -1000 on timeout
  std::string out, err;
};

tool_result run_tool(const std::string &binary, const std::vector<std::string> &args,
                     const std::string &work_dir, const std::string &display,
                     double timeout_seconds);

// The file name the capture writes for the frame of --at MS.
std::string capture_frame_name(int32_t ms);
