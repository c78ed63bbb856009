#pragma once

#include "platform/Processes.hpp"

namespace tavelin::app {

// Child processes through posix_spawn, with both output streams read together
// so that neither can fill up and stall the child. Holds no state: any number
// of threads may run children through one instance at once.
class PosixProcesses final : public Processes {
 public:
  std::expected<ProcessResult, std::string> run(const std::string& executable,
                                                const std::vector<std::string>& arguments) override;
};

}  // namespace tavelin::app
