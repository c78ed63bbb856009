// The typing window's whole decision time: from the KeyEvent of each key of a
// sequence to the moment its action is handed to the runner (the miss checks,
// the narrowing, the hide with the focus returned, the session reset), with
// the seventeen default sequences and with 10,000.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include <tavelin/core.hpp>

#include "controllers/MainWindowController.hpp"
#include "fakes/FakeDesktop.hpp"
#include "fakes/FakeDialogs.hpp"
#include "fakes/FakeFolderWatch.hpp"
#include "fakes/FakeKeyMonitors.hpp"
#include "fakes/FakeTypingWindow.hpp"
#include "fakes/ManualClock.hpp"
#include "runtime/Core.hpp"
#include "temp_dir.hpp"

namespace {

using namespace tavelin;
using namespace tavelin::app;

// Three letters each, so none is a prefix of another.
Settings manySequences(int count) {
  Settings settings = default_settings();
  settings.sequences.clear();
  for (int i = 0; i < count; ++i) {
    std::string keys = {static_cast<char>('a' + i / 676), static_cast<char>('a' + i / 26 % 26),
                        static_cast<char>('a' + i % 26)};
    settings.sequences.push_back({new_identifier(), keys, "Sequence " + keys, {KeyAction::Command{"true"}}});
  }
  return settings;
}

struct Rig {
  explicit Rig(int count) {
    static const tavelin::testing::TempDir home;  // the log's file is fixed at its first line
    ::setenv("HOME", home.path().c_str(), 1);
    if (count > 0) tavelin::testing::write_file(folder / "config.json", settings_to_json(manySequences(count)));
    core = Core::start({.main = clock, .folders = folders, .dialogs = dialogs, .path = (folder / "config.json").string()});
    controller = MainWindowController::make({.core = *core,
                                             .workspace = desktop,
                                             .main = clock,
                                             .keyMonitors = keys,
                                             .windows = windows,
                                             .run = [this](const KeyAction&, RunningApplicationRef,
                                                           ActionRunner::Completion) { ++runs; },
                                             .showSettings = {}});
    controller->build();
    desktop.frontmost = desktop.addApp("Editor");
  }

  // The last sequence in stored order: the resolver walks every one.
  std::string lastKeys() const { return core->settings().sequences.back().keys; }

  tavelin::testing::TempDir folder;
  tavelin::app::testing::ManualClock clock;
  tavelin::app::testing::FakeFolderWatch folders;
  tavelin::app::testing::FakeDialogs dialogs;
  tavelin::app::testing::FakeDesktop desktop;
  tavelin::app::testing::FakeKeyMonitors keys;
  tavelin::app::testing::FakeTypingWindows windows;
  std::shared_ptr<Core> core;
  std::shared_ptr<MainWindowController> controller;
  std::int64_t runs = 0;
};

void keyEventsToRunAction(benchmark::State& state) {
  Rig rig(static_cast<int>(state.range(0)));
  std::vector<KeyEvent> events;
  for (const char key : rig.lastKeys()) events.push_back({7, 0, std::string(1, key), std::string(1, key)});
  for (auto _ : state) {
    state.PauseTiming();
    rig.controller->toggle();
    state.ResumeTiming();
    for (const KeyEvent& event : events) benchmark::DoNotOptimize(rig.keys.press(event));
  }
  if (rig.runs != state.iterations()) state.SkipWithError("the sequence did not fire on every pass");
  state.counters["sequences"] = static_cast<double>(rig.core->settings().sequences.size());
  state.counters["keys"] = static_cast<double>(events.size());
}
// 0: the default configuration.
BENCHMARK(keyEventsToRunAction)->Arg(0)->Arg(10'000)->Unit(benchmark::kMicrosecond);

}  // namespace
