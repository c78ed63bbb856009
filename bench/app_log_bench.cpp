// The log's cost on the calling thread, and how many lines per second reach
// the file through the serial writer.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/Log.hpp"
#include "temp_dir.hpp"

namespace {

using tavelin::app::Log;
using tavelin::app::LogLevel;
using tavelin::app::LogWriter;
using tavelin::testing::TempDir;

const std::string kMessage = "ran open org.example.Browser · in 12 ms after the chord";

// The writer is slower than a caller in a tight loop, so the caller-side runs
// are capped: otherwise the backlog, not the call, is what gets measured.
constexpr int kCallerIterations = 200'000;

void formatLine(benchmark::State& state) {
  const auto now = std::chrono::system_clock::now();
  for (auto _ : state) benchmark::DoNotOptimize(tavelin::app::formatLogLine(now, LogLevel::Info, kMessage));
}
BENCHMARK(formatLine);

void writerCallerCost(benchmark::State& state) {
  const TempDir dir;
  LogWriter writer(dir / "Tavelin.log");
  for (auto _ : state) writer.write(LogLevel::Info, kMessage);
  writer.flush();
}
BENCHMARK(writerCallerCost)->Iterations(kCallerIterations);

void logInfoCallerCost(benchmark::State& state) {
  static const TempDir home;  // before the first use: the log's path is fixed then
  ::setenv("HOME", home.path().c_str(), 1);
  for (auto _ : state) Log::info(kMessage);
  Log::endSession();
}
BENCHMARK(logInfoCallerCost)->Iterations(kCallerIterations);

// Hand over a burst and wait until it is in the file.
void linesToFile(benchmark::State& state) {
  const TempDir dir;
  LogWriter writer(dir / "Tavelin.log");
  const auto burst = state.range(0);
  for (auto _ : state) {
    for (std::int64_t i = 0; i < burst; ++i) writer.write(LogLevel::Info, kMessage);
    writer.flush();
  }
  state.SetItemsProcessed(state.iterations() * burst);
}
BENCHMARK(linesToFile)->Arg(1)->Arg(10'000)->UseRealTime();

}  // namespace
