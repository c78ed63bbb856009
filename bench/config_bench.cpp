// Writing and reading the configuration file: the shipped seventeen
// sequences, and a very large configuration of 10,000.

#include <benchmark/benchmark.h>

#include <tavelin/config.hpp>
#include <tavelin/lib.hpp>

#include <string>

namespace {

using namespace tavelin;

Settings configuration(std::size_t sequences) {
  Settings s = default_settings();
  if (sequences <= s.sequences.size()) {
    s.sequences.resize(sequences);
    return s;
  }
  s.sequences.clear();
  for (std::size_t i = 0; i < sequences; ++i) {
    // Five letters each, so every key is unique and none is another's prefix.
    std::string keys;
    for (std::size_t n = i, digit = 0; digit < 5; ++digit, n /= 26) keys += static_cast<char>('a' + n % 26);
    KeyAction action;
    switch (i % 4) {
      case 0:
        action = {KeyAction::App{AppAction{AppAction::Open{"com.example.app" + std::to_string(i)}}}};
        break;
      case 1: action = {KeyAction::Command{"echo \"sequence " + std::to_string(i) + "\""}}; break;
      case 2: action = {KeyAction::TerminalCommand{"ls -la ~/Projects"}}; break;
      default: action = {KeyAction::Window{WindowAction::ToggleMaximize}}; break;
    }
    s.sequences.push_back({new_identifier(), keys, "Sequence " + std::to_string(i), action});
  }
  return s;
}

void write_settings(benchmark::State& state) {
  const Settings s = configuration(static_cast<std::size_t>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = settings_to_json(s);
    bytes += text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void read_settings(benchmark::State& state) {
  const std::string text = settings_to_json(configuration(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) {
    auto s = settings_from_json(text);
    if (!s) state.SkipWithError(s.error().c_str());
    benchmark::DoNotOptimize(s);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

BENCHMARK(write_settings)->Arg(17)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(read_settings)->Arg(17)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
