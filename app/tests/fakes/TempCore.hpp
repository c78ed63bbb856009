#pragma once

// A real Core on a configuration file in a fresh temporary folder, with a
// manual clock for its main queue.

#include <filesystem>
#include <memory>

#include "fakes/FakeDialogs.hpp"
#include "fakes/FakeFolderWatch.hpp"
#include "fakes/ManualClock.hpp"
#include "runtime/Core.hpp"
#include "temp_dir.hpp"

namespace tavelin::app::testing {

struct TempCore {
  tavelin::testing::TempDir folder;
  std::filesystem::path path = folder / "config.json";
  ManualClock clock;
  FakeFolderWatch folders;
  FakeDialogs dialogs;
  std::shared_ptr<Core> core =
      Core::start({.main = clock, .folders = folders, .dialogs = dialogs, .path = path.string()});
};

}  // namespace tavelin::app::testing
