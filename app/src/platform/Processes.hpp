#pragma once

#include <expected>
#include <string>
#include <vector>

namespace tavelin::app {

// What a finished child process left behind.
struct ProcessResult {
  int status = 0;  // the exit status, or 128 + the signal that ended it
  std::string standardOutput;
  std::string standardError;
};

// Runs child processes to completion. Blocking: callers run it off the main
// thread.
class Processes {
 public:
  virtual ~Processes() = default;

  // Starts `executable` with `arguments` (not including argv[0]), inheriting
  // the environment, the working directory and standard input, and reads both
  // output streams to their end. The error is the system's description of why
  // the process could not be started.
  virtual std::expected<ProcessResult, std::string> run(const std::string& executable,
                                                        const std::vector<std::string>& arguments) = 0;
};

}  // namespace tavelin::app
