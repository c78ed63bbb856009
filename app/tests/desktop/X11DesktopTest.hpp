#pragma once

// A fixture for the real desktop layer: a private Xvfb with openbox, a
// connection of the test's own (the one the code under test runs on), the
// test applications, and xterms told apart by their class, read back with
// the stock X tools so that the code under test is checked against someone
// else's reading.

#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "desktop/TestApplications.hpp"
#include "platform/linux/x11/ScreenGeometry.hpp"
#include "x11/XcbClient.hpp"
#include "x11/XvfbSession.hpp"

namespace tavelin::app::testing {

class X11DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    apps = &testApplications();
    // Servers started side by side can race for a display number, and then
    // the window manager finds no server: such a start is tried again.
    for (int attempt = 0; attempt < 3 && (!display_ || !display_->ok()); ++attempt) {
      display_.reset();
      display_ = std::make_unique<XvfbSession>();
    }
    ASSERT_TRUE(session().ok()) << session().reason();
    client = std::make_unique<XcbClient>(session().display());
    ASSERT_TRUE(client->ok());
    waitForWindowManager();
  }

  // openbox puts up its check window early in its start-up and may drop a
  // window mapped before it is done. The first window it manages shows that
  // it is; until then the probe is mapped again now and then.
  void waitForWindowManager() {
    const xcb_window_t probe = ownWindow(WindowSpec({0, 0, 10, 10}), false);
    int polls = 0;
    const bool ready = XvfbSession::waitUntil(
        [&] {
          if (contains(rootWindows("_NET_CLIENT_LIST"), probe)) return true;
          if (++polls % 20 == 0) {
            xcb_unmap_window(owner->connection(), probe);
            xcb_map_window(owner->connection(), probe);
            owner->sync();
          }
          return false;
        },
        std::chrono::seconds(20));
    ASSERT_TRUE(ready) << "openbox never managed a window";
    xcb_destroy_window(owner->connection(), probe);
    owner->sync();
    ASSERT_TRUE(XvfbSession::waitUntil([&] { return !contains(rootWindows("_NET_CLIENT_LIST"), probe); }));
  }

  struct Xterm {
    pid_t pid = -1;
    xcb_window_t window = XCB_NONE;
  };

  // An xterm of class `className` whose frame starts at the geometry's
  // position, once the window manager manages it.
  Xterm xterm(const std::string& className, const std::string& geometry = "60x20+100+80") {
    Xterm started;
    started.pid = session().spawn(
        {"xterm", "-class", className, "-name", className + "-instance", "-geometry", geometry, "-e", "sleep", "600"});
    EXPECT_GT(started.pid, 0);
    const bool managed = XvfbSession::waitUntil(
        [&] {
          const auto found = session().run({"xdotool", "search", "--pid", std::to_string(started.pid)});
          if (!found || found->empty()) return false;
          started.window = static_cast<xcb_window_t>(std::stoul(*found));
          const auto extents = session().run({"xprop", "-id", std::to_string(started.window), "_NET_FRAME_EXTENTS"});
          return contains(rootWindows("_NET_CLIENT_LIST"), started.window) && extents &&
                 extents->find(" = ") != std::string::npos;
        },
        std::chrono::seconds(15));
    EXPECT_TRUE(managed) << "xterm " << className << " never came under the window manager";
    return started;
  }

  struct WindowSpec {
    explicit WindowSpec(PixelRect r, std::vector<std::string> t = {}) : rect(r), types(std::move(t)) {}
    PixelRect rect;
    std::vector<std::string> types;  // _NET_WM_WINDOW_TYPE atom names, in order
    xcb_window_t transientFor = XCB_NONE;
    std::vector<std::uint32_t> strutPartial;
    std::vector<std::uint32_t> strut;
  };

  // A top-level window of this very process (its _NET_WM_PID is ours), made
  // on a connection of its own and mapped; `managed` waits until the window
  // manager lists it.
  xcb_window_t ownWindow(const WindowSpec& spec, bool managed = true) {
    if (!owner) owner = std::make_unique<XcbClient>(session().display());
    xcb_connection_t* c = owner->connection();
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, owner->root(), static_cast<std::int16_t>(spec.rect.x),
                      static_cast<std::int16_t>(spec.rect.y), static_cast<std::uint16_t>(spec.rect.width),
                      static_cast<std::uint16_t>(spec.rect.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const auto cardinals = [&](const char* name, xcb_atom_t type, const std::vector<std::uint32_t>& values) {
      xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(name), type, 32,
                          static_cast<std::uint32_t>(values.size()), values.data());
    };
    cardinals("_NET_WM_PID", XCB_ATOM_CARDINAL, {static_cast<std::uint32_t>(::getpid())});
    const char wmClass[] = "tavelin-tests\0TavelinTests";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof wmClass,
                        wmClass);
    // Honour the requested position rather than placing the window.
    std::vector<std::uint32_t> hints(18, 0);
    hints[0] = 1u | 4u;  // USPosition | PPosition
    hints[1] = static_cast<std::uint32_t>(spec.rect.x);
    hints[2] = static_cast<std::uint32_t>(spec.rect.y);
    cardinals("WM_NORMAL_HINTS", XCB_ATOM_WM_SIZE_HINTS, hints);
    if (!spec.types.empty()) {
      std::vector<std::uint32_t> types;
      for (const std::string& type : spec.types) types.push_back(atom(type.c_str()));
      cardinals("_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, types);
    }
    if (spec.transientFor != XCB_NONE) cardinals("WM_TRANSIENT_FOR", XCB_ATOM_WINDOW, {spec.transientFor});
    if (!spec.strutPartial.empty()) cardinals("_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL, spec.strutPartial);
    if (!spec.strut.empty()) cardinals("_NET_WM_STRUT", XCB_ATOM_CARDINAL, spec.strut);
    xcb_map_window(c, window);
    owner->sync();
    if (managed) {
      EXPECT_TRUE(XvfbSession::waitUntil([&] { return contains(rootWindows("_NET_CLIENT_LIST"), window); }))
          << "the window manager never listed our window";
    }
    return window;
  }

  xcb_atom_t atom(const char* name) {
    xcb_connection_t* c = client->connection();
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply != nullptr ? reply->atom : XCB_NONE;
    std::free(reply);
    return found;
  }

  // A window list property of the root window, as xprop reads it.
  std::vector<xcb_window_t> rootWindows(const std::string& property) {
    std::vector<xcb_window_t> windows;
    const auto text = session().run({"xprop", "-root", property});
    if (!text) return windows;
    const auto hash = text->find('#');
    if (hash == std::string::npos) return windows;
    std::istringstream ids(text->substr(hash + 1));
    for (std::string id; ids >> id;) {
      if (id.back() == ',') id.pop_back();
      windows.push_back(static_cast<xcb_window_t>(std::stoul(id, nullptr, 16)));
    }
    return windows;
  }

  std::optional<xcb_window_t> activeWindow() {
    const auto windows = rootWindows("_NET_ACTIVE_WINDOW");
    if (windows.empty() || windows.front() == XCB_NONE) return std::nullopt;
    return windows.front();
  }

  void activate(xcb_window_t window) {
    ASSERT_TRUE(session().run({"xdotool", "windowactivate", "--sync", std::to_string(window)}));
  }

  // The outermost ancestor below the root (the window manager's frame),
  // border included, as xwininfo sees it.
  std::optional<PixelRect> frameByXwininfo(xcb_window_t clientWindow) {
    std::string window = std::to_string(clientWindow);
    for (int depth = 0; depth < 8; ++depth) {
      const auto tree = session().run({"xwininfo", "-children", "-id", window});
      if (!tree) return std::nullopt;
      const std::string root = field(*tree, "Root window id:");
      const std::string parent = field(*tree, "Parent window id:");
      if (parent.empty() || parent == root) break;
      window = parent;
    }
    const auto info = session().run({"xwininfo", "-id", window});
    if (!info) return std::nullopt;
    const int border = std::stoi(field(*info, "Border width:"));
    return PixelRect{std::stoi(field(*info, "Absolute upper-left X:")) - border,
                     std::stoi(field(*info, "Absolute upper-left Y:")) - border,
                     std::stoi(field(*info, "Width:")) + 2 * border, std::stoi(field(*info, "Height:")) + 2 * border};
  }

  static bool contains(const std::vector<xcb_window_t>& windows, xcb_window_t window) {
    return std::find(windows.begin(), windows.end(), window) != windows.end();
  }

  // The first word after `label` in xwininfo's report.
  static std::string field(const std::string& text, const std::string& label) {
    const auto at = text.find(label);
    if (at == std::string::npos) return "";
    std::istringstream rest(text.substr(at + label.size()));
    std::string word;
    rest >> word;
    return word;
  }

  XvfbSession& session() { return *display_; }

  std::unique_ptr<XvfbSession> display_;
  std::unique_ptr<XcbClient> client;
  std::unique_ptr<XcbClient> owner;  // of this process's own windows
  const TestApplications* apps = nullptr;
};

}  // namespace tavelin::app::testing
