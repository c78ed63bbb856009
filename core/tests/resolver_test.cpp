#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <tavelin/resolver.hpp>
#include <thread>

namespace tavelin {
namespace {

KeySequence sequence(std::string keys, std::string id = {}) {
  if (id.empty()) id = keys;
  return {id, keys, "does " + keys, {KeyAction::Window{WindowAction::MoveLeft}}};
}

Resolution fire(const KeySequence& s) { return {Resolution::Fire{s}}; }
Resolution pending(std::uint32_t n) { return {Resolution::Pending{n}}; }
Resolution no_match(std::string typed) { return {Resolution::NoMatch{std::move(typed)}}; }
const Resolution ignored{Resolution::Ignored{}};

TEST(ResolverAcceptsKey, TakesOneSequenceCharacterOnly) {
  const struct {
    std::string_view key;
    bool accepted;
  } cases[] = {
      {"a", true}, {"Z", true}, {"é", true}, {"7", true}, {"?", true}, {" ", true},
      {"~", true}, {"!", true}, {"ß", true},
      {"٣", true},       // Arabic-Indic digit three, Nd
      {"Ⅻ", true},       // Roman numeral twelve, Nl
      {"½", true},       // vulgar fraction, No
      {"中", true},       // Lo
      {"𝐀", true},       // four bytes, Lu
      {"", false}, {"ab", false}, {"é7", false},
      {"\t", false}, {"\n", false}, {"\r", false}, {"\x7f", false},
      {std::string_view("\0", 1), false},
      {"€", false}, {"→", false}, {"–", false}, {"😀", false},
      {"\u00a0", false},  // no-break space: only the plain space is taken
      {"\u3000", false},  // ideographic space
      {"\u0301", false},  // a combining accent alone is neither Alphabetic nor a number
      {"e\u0301", false},  // two code points, however it is drawn
      {"\xff", false}, {"\xa9", false},  // invalid byte, lone continuation byte
      {"\xc3", false},                   // truncated sequence
      {"\xc3\xa9\xa9", false},           // a character followed by a stray byte
      {"\xc1\xa1", false},               // overlong "a"
      {"\xed\xa0\x80", false},           // surrogate
  };
  for (const auto& c : cases) {
    EXPECT_EQ(accepts_key(c.key), c.accepted) << '"' << c.key << '"';
  }
}

struct Step {
  std::string key;
  Resolution result;
  std::string typed_after;
};

void run(Resolver& resolver, const std::vector<Step>& steps) {
  for (const auto& step : steps) {
    EXPECT_EQ(resolver.press(step.key), step.result) << "pressing \"" << step.key << '"';
    EXPECT_EQ(resolver.typed(), step.typed_after) << "after \"" << step.key << '"';
  }
}

TEST(Resolver, ResolvesKeystrokesAgainstStoredSequences) {
  const auto w = sequence("w"), wh = sequence("wh"), wl = sequence("wl");
  const auto t1 = sequence("t", "first"), t2 = sequence("t", "second");
  const auto abc = sequence("abc"), abd = sequence("abd"), ax = sequence("ax");
  const auto e_a = sequence("éa");
  const struct {
    std::string name;
    std::vector<KeySequence> sequences;
    std::vector<Step> steps;
  } scenarios[] = {
      {"a prefix fires at once", {w, wh}, {{"w", fire(w), ""}, {"h", no_match("h"), "h"}}},
      {"a later exact match beats an earlier longer one", {wh, w}, {{"w", fire(w), ""}}},
      {"two keys narrow then fire", {wh, wl}, {{"w", pending(2), "w"}, {"h", fire(wh), ""}}},
      {"pending counts every reachable sequence",
       {abc, abd, ax, w},
       {{"a", pending(3), "a"}, {"b", pending(2), "ab"}, {"d", fire(abd), ""}}},
      {"misses accumulate", {wh}, {{"x", no_match("x"), "x"}, {"y", no_match("xy"), "xy"},
                                   {"w", no_match("xyw"), "xyw"}}},
      {"matching is case-sensitive", {w}, {{"W", no_match("W"), "W"}}},
      {"equal keys fire the first stored", {t1, t2}, {{"t", fire(t1), ""}}},
      {"multi-byte keys", {e_a}, {{"é", pending(1), "é"}, {"a", fire(e_a), ""}}},
      {"accepted characters enter the buffer", {},
       {{"é", no_match("é"), "é"},
        {"7", no_match("é7"), "é7"},
        {"?", no_match("é7?"), "é7?"},
        {" ", no_match("é7? "), "é7? "}}},
      {"nothing known", {}, {{"w", no_match("w"), "w"}}},
  };
  for (const auto& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    Resolver resolver;
    resolver.set_sequences(scenario.sequences);
    run(resolver, scenario.steps);
  }
}

TEST(Resolver, IgnoredKeysLeaveTheBufferAlone) {
  Resolver resolver;
  resolver.set_sequences({sequence("wh")});
  ASSERT_EQ(resolver.press("w"), pending(1));
  for (std::string_view key : {"\t", "", "ab", "€", "\n", "\xff", "\u00a0"}) {
    EXPECT_EQ(resolver.press(key), ignored) << '"' << key << '"';
    EXPECT_EQ(resolver.typed(), "w");
  }
  EXPECT_EQ(resolver.press("h"), fire(sequence("wh")));
}

TEST(Resolver, BackspaceRemovesOneWholeCharacter) {
  Resolver resolver;
  for (std::string_view key : {"a", "é", "中", "𝐀"}) resolver.press(key);
  ASSERT_EQ(resolver.typed(), "aé中𝐀");
  for (std::string_view left : {"aé中", "aé", "a", "", ""}) {
    resolver.backspace();
    EXPECT_EQ(resolver.typed(), left);
  }
}

TEST(Resolver, BackspaceReopensThePrefix) {
  Resolver resolver;
  resolver.set_sequences({sequence("wh")});
  resolver.press("w");
  EXPECT_EQ(resolver.press("x"), no_match("wx"));
  resolver.backspace();
  EXPECT_EQ(resolver.press("h"), fire(sequence("wh")));
}

TEST(Resolver, CandidatesKeepStoredOrder) {
  const auto wh = sequence("wh"), x = sequence("x"), wl = sequence("wl"), wq = sequence("w?");
  Resolver resolver;
  resolver.set_sequences({wh, x, wl, wq});
  EXPECT_EQ(resolver.candidates(), (std::vector{wh, x, wl, wq}));
  resolver.press("w");
  EXPECT_EQ(resolver.candidates(), (std::vector{wh, wl, wq}));
  resolver.press("z");
  EXPECT_TRUE(resolver.candidates().empty());
  resolver.reset();
  EXPECT_EQ(resolver.typed(), "");
  EXPECT_EQ(resolver.candidates().size(), 4u);
}

TEST(Resolver, RemainderLooksOnlyAtTheGivenSequence) {
  Resolver resolver;
  resolver.set_sequences({sequence("whx")});
  EXPECT_EQ(resolver.remainder(sequence("wh")), "wh");
  resolver.press("w");
  EXPECT_EQ(resolver.remainder(sequence("wh")), "h");
  resolver.press("h");
  EXPECT_EQ(resolver.remainder(sequence("wh")), "");  // not in the list, and fully typed
  EXPECT_EQ(resolver.remainder(sequence("w")), std::nullopt);
  resolver.reset();
  resolver.press("x");
  EXPECT_EQ(resolver.remainder(sequence("wh")), std::nullopt);
}

TEST(Resolver, NewSequencesClearTheBuffer) {
  Resolver resolver;
  resolver.set_sequences({sequence("wh")});
  resolver.press("w");
  resolver.set_sequences({sequence("hw"), sequence("x")});
  EXPECT_EQ(resolver.typed(), "");
  EXPECT_EQ(resolver.press("h"), pending(1));  // "h" alone, not "wh"
  EXPECT_EQ(resolver.candidates(), (std::vector{sequence("hw")}));
}

// One typist, several readers and a writer swapping between two lists. Every
// answer must come from one whole list and one buffer, never a mixture.
TEST(Resolver, StaysConsistentUnderConcurrentUse) {
  const std::vector<KeySequence> first = {sequence("ab", "1ab"), sequence("ac", "1ac"),
                                          sequence("x", "1x")};
  const std::vector<KeySequence> second = {sequence("ab", "2ab"), sequence("ac", "2ac"),
                                           sequence("ad", "2ad"), sequence("y", "2y")};
  const auto starting_with_a = [](const std::vector<KeySequence>& list) {
    std::vector<KeySequence> out;
    std::ranges::copy_if(list, std::back_inserter(out), [](auto& s) { return s.keys[0] == 'a'; });
    return out;
  };
  const std::vector<std::vector<KeySequence>> snapshots = {
      first, second, starting_with_a(first), starting_with_a(second), {}};

  Resolver resolver;
  resolver.set_sequences(first);
  std::atomic<int> faults = 0;
  const auto fault_if = [&](bool fault) {
    if (fault) ++faults;
  };

  std::thread typist([&] {
    for (int i = 0; i < 50000; ++i) {
      const auto a = resolver.press("a");
      fault_if(a != pending(2) && a != pending(3));
      const auto b = resolver.press("b");
      // A swap between the two keys clears the "a", so "b" stands alone.
      fault_if(b != fire(first[0]) && b != fire(second[0]) && b != no_match("b"));
      if (std::holds_alternative<Resolution::NoMatch>(b.value)) resolver.reset();
    }
  });
  std::vector<std::thread> readers;
  for (int r = 0; r < 3; ++r) {
    readers.emplace_back([&] {
      // Bounded rather than until the typist is done: a reader-preferring
      // lock would otherwise let spinning readers starve it.
      for (int i = 0; i < 50000; ++i) {
        fault_if(std::ranges::find(snapshots, resolver.candidates()) == snapshots.end());
        const auto typed = resolver.typed();
        fault_if(typed != "" && typed != "a" && typed != "b");
        const auto rest = resolver.remainder(first[0]);
        fault_if(rest != "ab" && rest != "b" && rest != std::nullopt);
      }
    });
  }
  std::thread writer([&] {
    for (int i = 0; i < 50000; ++i) resolver.set_sequences(i % 2 ? first : second);
  });
  typist.join();
  writer.join();
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(faults, 0);
}

}  // namespace
}  // namespace tavelin
