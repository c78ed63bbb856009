// Opening, changing and reloading a configuration on disk, with and without
// the flushes that make a save survive a machine's crash.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <tavelin/core.hpp>

#include "store_files.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tavelin;

Settings with_sequences(std::size_t count) {
  Settings s = default_settings();
  if (count <= s.sequences.size()) return s;
  s.sequences.clear();
  for (std::size_t i = 0; i < count; ++i) {
    s.sequences.push_back({new_identifier(), "k" + std::to_string(i) + "x", "Sequence " + std::to_string(i),
                           {KeyAction::Command{"echo " + std::to_string(i)}}});
  }
  return s;
}

struct Folder {
  Folder() {
    std::string pattern = (fs::temp_directory_path() / "tavelin-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path = pattern;
  }
  ~Folder() { fs::remove_all(path); }
  fs::path path;
};

Store prepared(const Folder& folder, std::size_t count) {
  const fs::path file = folder.path / "config.json";
  if (!files::write(file, with_sequences(count))) std::abort();
  return std::move(*Store::open(file));
}

void BM_StoreOpen(benchmark::State& state) {
  Folder folder;
  const std::size_t count = static_cast<std::size_t>(state.range(0));
  (void)prepared(folder, count);
  for (auto _ : state) {
    auto store = Store::open(folder.path / "config.json");
    benchmark::DoNotOptimize(store);
  }
}

void BM_StoreUpsertSequence(benchmark::State& state) {
  files::set_durable_writes(state.range(1) != 0);
  Folder folder;
  Store store = prepared(folder, static_cast<std::size_t>(state.range(0)));
  KeySequence edited{"bench", "zz", "Edited", {KeyAction::Command{"true"}}};
  long n = 0;
  for (auto _ : state) {
    edited.description = "Edited " + std::to_string(++n);
    auto result = store.upsert_sequence(edited);
    if (!result) state.SkipWithError(result.error().message.c_str());
    benchmark::DoNotOptimize(result);
  }
  files::set_durable_writes(true);
}

void BM_StoreReload(benchmark::State& state) {
  Folder folder;
  Store store = prepared(folder, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    auto result = store.reload();
    benchmark::DoNotOptimize(result);
  }
}

}  // namespace

BENCHMARK(BM_StoreOpen)->Arg(17)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreUpsertSequence)
    ->ArgNames({"sequences", "fsync"})
    ->Args({17, 1})
    ->Args({17, 0})
    ->Args({10000, 1})
    ->Args({10000, 0})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreReload)->Arg(17)->Arg(10000)->Unit(benchmark::kMicrosecond);
