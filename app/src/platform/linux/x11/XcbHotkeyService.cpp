#include "platform/linux/x11/XcbHotkeyService.hpp"

#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/linux/x11/KeyTable.hpp"

namespace tavelin::app {
namespace {

// XKB's notifications that the keymap was replaced or changed.
constexpr std::uint8_t kXkbNewKeyboardNotify = 0;
constexpr std::uint8_t kXkbMapNotify = 1;

}  // namespace

struct XcbHotkeyService::Chord final : HotkeyRegistration {
  Chord(xcb_keysym_t k, std::uint16_t m, std::uint32_t s, std::uint32_t i)
      : keysym(k), modifiers(m), signature(s), id(i) {}
  xcb_keysym_t keysym;
  std::uint16_t modifiers;
  std::uint32_t signature;
  std::uint32_t id;
  std::vector<Grab> grabs;  // empty when a keymap change cost us the chord
};

XcbHotkeyService::XcbHotkeyService(xcb_connection_t* connection, xcb_window_t root)
    : connection_(connection), root_(root) {
  if (!connected()) return;
  constexpr const char* xkb = "XKEYBOARD";
  xcb_query_extension_reply_t* extension = xcb_query_extension_reply(
      connection_, xcb_query_extension(connection_, static_cast<std::uint16_t>(std::strlen(xkb)), xkb), nullptr);
  if (extension != nullptr) {
    if (extension->present != 0) xkbEvent_ = extension->first_event;
    std::free(extension);
  }
  readKeyboard();
}

XcbHotkeyService::~XcbHotkeyService() {
  std::vector<Grab> all;
  for (const auto& chord : chords_) all.insert(all.end(), chord->grabs.begin(), chord->grabs.end());
  ungrab(all);
  if (symbols_ != nullptr) xcb_key_symbols_free(symbols_);
}

int XcbHotkeyService::installHandler(std::function<int(const HotkeyPress&)> handler) {
  handler_ = std::move(handler);
  return kHotkeyNoErr;
}

HotkeyRegisterResult XcbHotkeyService::registerHotkey(std::uint32_t keyCode, std::uint32_t modifiers,
                                                      std::uint32_t signature, std::uint32_t id) {
  const auto keysym = KeyTable::keysym(keyCode);
  if (!keysym) return {kEventHotKeyInvalidErr, nullptr};
  const std::uint16_t xModifiers = KeyTable::xModifiers(modifiers);
  auto grabs = grab(*keysym, xModifiers);
  if (!grabs) return {grabs.error(), nullptr};
  auto chord = std::make_shared<Chord>(*keysym, xModifiers, signature, id);
  chord->grabs = std::move(*grabs);
  chords_.push_back(chord);
  return {kHotkeyNoErr, chord};
}

void XcbHotkeyService::unregisterHotkey(const std::shared_ptr<HotkeyRegistration>& registration) {
  auto found = std::ranges::find_if(chords_, [&](const auto& chord) { return chord.get() == registration.get(); });
  if (found == chords_.end()) return;
  ungrab((*found)->grabs);
  chords_.erase(found);
}

bool XcbHotkeyService::handleEvent(const xcb_generic_event_t* event) {
  if (event == nullptr) return false;
  const std::uint8_t type = event->response_type & 0x7f;
  switch (type) {
    case XCB_KEY_PRESS: return onPress(*reinterpret_cast<const xcb_key_press_event_t*>(event));
    case XCB_KEY_RELEASE: return onRelease(*reinterpret_cast<const xcb_key_release_event_t*>(event));
    case XCB_MAPPING_NOTIFY:
      if (reinterpret_cast<const xcb_mapping_notify_event_t*>(event)->request == XCB_MAPPING_POINTER) return false;
      readKeyboard();
      regrabAll();
      return false;
    default:
      // XKB's events share one code and tell themselves apart by their second byte.
      if (xkbEvent_ != 0 && type == xkbEvent_ &&
          (event->pad0 == kXkbNewKeyboardNotify || event->pad0 == kXkbMapNotify)) {
        readKeyboard();
        regrabAll();
      }
      return false;
  }
}

bool XcbHotkeyService::onPress(const xcb_key_press_event_t& event) {
  // Only the grabs deliver to the root window; a press in one of the
  // caller's own windows is not ours.
  if (event.event != root_) return false;
  const bool repeat = held_.contains(event.detail) ||
                      (event.detail == lastReleased_ && event.time == lastReleaseTime_);
  const Grab pressed{event.detail, static_cast<std::uint16_t>(event.state & 0xff)};
  auto chord = std::ranges::find_if(chords_, [&](const auto& c) { return std::ranges::binary_search(c->grabs, pressed); });
  if (chord == chords_.end() && !repeat) return false;
  held_.insert(event.detail);
  if (repeat || chord == chords_.end()) return true;
  const HotkeyPress press{kHotkeyNoErr, (*chord)->signature, (*chord)->id};
  // A copy: the handler may install another one, or unregister its chord.
  if (auto handler = handler_) handler(press);
  return true;
}

bool XcbHotkeyService::onRelease(const xcb_key_release_event_t& event) {
  // The release of a grabbed chord may carry no modifiers at all, and may go
  // to another window if the caller grabbed the keyboard meanwhile: the key
  // alone says it is ours.
  if (held_.erase(event.detail) == 0) return false;
  lastReleased_ = event.detail;
  lastReleaseTime_ = event.time;
  return true;
}

std::vector<XcbHotkeyService::Grab> XcbHotkeyService::grabsFor(xcb_keysym_t keysym, std::uint16_t modifiers) const {
  std::vector<Grab> grabs;
  if (symbols_ == nullptr) return grabs;
  xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols_, keysym);
  if (keycodes == nullptr) return grabs;
  // Every combination of the locks, less any lock that doubles as one of the
  // chord's own modifiers.
  const std::uint16_t locks[] = {XCB_MOD_MASK_LOCK, numLock_, scrollLock_};
  std::set<std::uint16_t> variants;
  for (unsigned subset = 0; subset < 8; ++subset) {
    std::uint16_t mask = 0;
    for (unsigned bit = 0; bit < 3; ++bit) {
      if ((subset & (1u << bit)) != 0) mask = static_cast<std::uint16_t>(mask | locks[bit]);
    }
    variants.insert(static_cast<std::uint16_t>(modifiers | (mask & ~modifiers)));
  }
  for (const xcb_keycode_t* k = keycodes; *k != 0; ++k) {
    for (std::uint16_t variant : variants) grabs.push_back({*k, variant});
  }
  std::free(keycodes);
  // A keysym on two columns of one key lists the keycode twice.
  std::ranges::sort(grabs);
  grabs.erase(std::unique(grabs.begin(), grabs.end()), grabs.end());
  return grabs;
}

std::expected<std::vector<XcbHotkeyService::Grab>, int> XcbHotkeyService::grab(xcb_keysym_t keysym,
                                                                              std::uint16_t modifiers) {
  if (!connected()) return std::unexpected(kEventHotKeyInvalidErr);
  std::vector<Grab> grabs = grabsFor(keysym, modifiers);
  if (grabs.empty()) return std::unexpected(kEventHotKeyInvalidErr);
  // The server lets a client grab again what it already holds; refusing here
  // keeps one registration from releasing another's grabs later.
  for (const auto& chord : chords_) {
    const bool shared = std::ranges::any_of(grabs, [&](const Grab& g) { return std::ranges::binary_search(chord->grabs, g); });
    if (shared) return std::unexpected(kEventHotKeyExistsErr);
  }
  // All requests first, then every answer: one round trip for the chord.
  std::vector<xcb_void_cookie_t> cookies;
  for (const Grab& g : grabs) {
    cookies.push_back(xcb_grab_key_checked(connection_, 0, root_, g.modifiers, g.keycode, XCB_GRAB_MODE_ASYNC,
                                           XCB_GRAB_MODE_ASYNC));
  }
  int status = kHotkeyNoErr;
  std::vector<Grab> made;
  for (std::size_t i = 0; i < grabs.size(); ++i) {
    if (xcb_generic_error_t* error = xcb_request_check(connection_, cookies[i])) {
      if (status == kHotkeyNoErr) status = error->error_code == XCB_ACCESS ? kEventHotKeyExistsErr : kEventHotKeyInvalidErr;
      std::free(error);
    } else {
      made.push_back(grabs[i]);
    }
  }
  // A dead connection answers no request, and reports no error either.
  if (status == kHotkeyNoErr && !connected()) status = kEventHotKeyInvalidErr;
  if (status != kHotkeyNoErr) {
    ungrab(made);
    return std::unexpected(status);
  }
  return grabs;
}

void XcbHotkeyService::ungrab(const std::vector<Grab>& grabs) {
  if (grabs.empty() || !connected()) return;
  for (const Grab& g : grabs) xcb_ungrab_key(connection_, g.keycode, root_, g.modifiers);
  sync();
}

bool XcbHotkeyService::connected() const {
  return connection_ != nullptr && xcb_connection_has_error(connection_) == 0;
}

// The keymap and the modifiers NumLock and Scroll Lock sit on, read afresh.
void XcbHotkeyService::readKeyboard() {
  if (symbols_ != nullptr) xcb_key_symbols_free(symbols_);
  symbols_ = xcb_key_symbols_alloc(connection_);
  numLock_ = KeyTable::modifierMask(connection_, symbols_, XK_Num_Lock);
  scrollLock_ = KeyTable::modifierMask(connection_, symbols_, XK_Scroll_Lock);
}

// The grabs sit on keycodes, and a keycode may now type another key (or a
// lock may sit on another modifier): every chord is grabbed afresh, in the
// order it was registered.
void XcbHotkeyService::regrabAll() {
  std::vector<Grab> old;
  for (const auto& chord : chords_) {
    old.insert(old.end(), chord->grabs.begin(), chord->grabs.end());
    chord->grabs.clear();
  }
  ungrab(old);
  for (const auto& chord : chords_) {
    // A chord refused now stays registered without grabs, so that
    // unregistering it stays exact and a later change may bring it back.
    if (auto grabs = grab(chord->keysym, chord->modifiers)) chord->grabs = std::move(*grabs);
  }
}

// A round trip: the server has acted on everything sent before it.
void XcbHotkeyService::sync() {
  std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

}  // namespace tavelin::app
