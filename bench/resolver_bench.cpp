#include <benchmark/benchmark.h>

#include <string>
#include <tavelin/resolver.hpp>

namespace tavelin {
namespace {

// `count` sequences with keys of equal length, so none is a prefix of another,
// as the store guarantees.
std::vector<KeySequence> make_sequences(std::size_t count) {
  static constexpr std::string_view alphabet =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  const std::size_t length = count <= alphabet.size() * alphabet.size() ? 2 : 3;
  std::vector<KeySequence> sequences;
  for (std::size_t i = 0; i < count; ++i) {
    std::string keys;
    for (std::size_t n = i, k = 0; k < length; ++k, n /= alphabet.size()) {
      keys.insert(keys.begin(), alphabet[n % alphabet.size()]);
    }
    sequences.push_back({"id-" + keys, keys, "does " + keys,
                         {KeyAction::Command{"echo " + keys}}});
  }
  return sequences;
}

// Types the last sequence in the list until it fires: the whole list is
// scanned on every press. Reported per press.
void BM_PressUntilFire(benchmark::State& state) {
  Resolver resolver;
  auto sequences = make_sequences(static_cast<std::size_t>(state.range(0)));
  const std::string keys = sequences.back().keys;
  resolver.set_sequences(std::move(sequences));
  for (auto _ : state) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
      benchmark::DoNotOptimize(resolver.press(std::string_view(keys).substr(i, 1)));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(keys.size()));
}
BENCHMARK(BM_PressUntilFire)->Arg(17)->Arg(1000)->Arg(10000);

// A key nothing starts with, then the reset the window does after a miss.
void BM_PressNoMatchThenReset(benchmark::State& state) {
  Resolver resolver;
  resolver.set_sequences(make_sequences(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) {
    benchmark::DoNotOptimize(resolver.press("?"));
    resolver.reset();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PressNoMatchThenReset)->Arg(17)->Arg(1000)->Arg(10000);

// A key the window passes on: refused before the lock.
void BM_PressIgnored(benchmark::State& state) {
  Resolver resolver;
  resolver.set_sequences(make_sequences(10000));
  for (auto _ : state) benchmark::DoNotOptimize(resolver.press("\t"));
}
BENCHMARK(BM_PressIgnored);

void BM_AcceptsKey(benchmark::State& state, std::string_view key) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(key);
    benchmark::DoNotOptimize(accepts_key(key));
  }
}
BENCHMARK_CAPTURE(BM_AcceptsKey, ascii_letter, "a");
BENCHMARK_CAPTURE(BM_AcceptsKey, ascii_tab, "\t");
BENCHMARK_CAPTURE(BM_AcceptsKey, latin_letter, "é");
BENCHMARK_CAPTURE(BM_AcceptsKey, cjk_letter, "中");
BENCHMARK_CAPTURE(BM_AcceptsKey, euro_sign, "€");
BENCHMARK_CAPTURE(BM_AcceptsKey, two_characters, "ab");
BENCHMARK_CAPTURE(BM_AcceptsKey, invalid_byte, "\xff");

}  // namespace
}  // namespace tavelin
