// Another X client that holds a chord, as a rival application would: it grabs
// the key with the given modifiers (and every lock variant) on the root window
// and keeps it until it is killed. Prints "held" once the grab is in place.

#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s KEYSYM-HEX X-MODIFIER-MASK\n", argv[0]);
    return 2;
  }
  const auto keysym = static_cast<xcb_keysym_t>(std::stoul(argv[1], nullptr, 16));
  const auto modifiers = static_cast<std::uint16_t>(std::stoul(argv[2]));
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection) != 0) return 1;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
  xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
  if (codes == nullptr) return 1;
  // Lock, NumLock (Mod2 on every stock keymap) and both.
  const std::uint16_t locks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
  for (const xcb_keycode_t* code = codes; *code != 0; ++code) {
    for (const std::uint16_t lock : locks) {
      auto cookie = xcb_grab_key_checked(connection, 1, root, static_cast<std::uint16_t>(modifiers | lock), *code,
                                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
      if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
        std::free(error);
        return 1;
      }
    }
  }
  std::free(codes);
  std::puts("held");
  std::fflush(stdout);
  for (;;) ::pause();
}
