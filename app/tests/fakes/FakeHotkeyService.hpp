#pragma once

// A hot-key facility the test drives: it can refuse chords (as if another
// client held them), record what is registered, and press a chord.

#include <algorithm>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "platform/HotkeyService.hpp"

namespace tavelin::app::testing {

class FakeHotkeyService final : public HotkeyService {
 public:
  struct Chord {
    std::uint32_t keyCode;
    std::uint32_t modifiers;
    auto operator<=>(const Chord&) const = default;
  };

  struct Registered final : HotkeyRegistration {
    Registered(Chord c, std::uint32_t s, std::uint32_t i) : chord(c), signature(s), id(i) {}
    Chord chord;
    std::uint32_t signature;
    std::uint32_t id;
  };

  int installHandler(std::function<int(const HotkeyPress&)> h) override {
    ++installs;
    if (installStatus == kHotkeyNoErr) handler = std::move(h);
    return installStatus;
  }

  HotkeyRegisterResult registerHotkey(std::uint32_t keyCode, std::uint32_t modifiers, std::uint32_t signature,
                                      std::uint32_t id) override {
    const Chord chord{keyCode, modifiers};
    if (takenElsewhere.contains(chord)) return {kEventHotKeyExistsErr, nullptr};
    auto registration = std::make_shared<Registered>(chord, signature, id);
    live.push_back(registration);
    return {kHotkeyNoErr, registration};
  }

  void unregisterHotkey(const std::shared_ptr<HotkeyRegistration>& registration) override {
    std::erase_if(live, [&](const auto& entry) { return entry == registration; });
  }

  // The ids currently registered, in registration order.
  std::vector<std::uint32_t> liveIds() const {
    std::vector<std::uint32_t> ids;
    for (const auto& entry : live) ids.push_back(entry->id);
    return ids;
  }

  // Presses a chord as the system would: the handler gets the id it was
  // registered under, if it is registered at all.
  int press(Chord chord) {
    auto found = std::ranges::find_if(live, [&](const auto& entry) { return entry->chord == chord; });
    if (found == live.end() || !handler) return kEventNotHandledErr;
    return handler({kHotkeyNoErr, (*found)->signature, (*found)->id});
  }

  std::set<Chord> takenElsewhere;
  int installStatus = kHotkeyNoErr;
  int installs = 0;
  std::function<int(const HotkeyPress&)> handler;
  std::vector<std::shared_ptr<Registered>> live;
};

}  // namespace tavelin::app::testing
