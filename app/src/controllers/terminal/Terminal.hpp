#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <tavelin/store.hpp>
#include <tavelin/terminal.hpp>

#include "controllers/terminal/TerminalLaunch.hpp"
#include "platform/Workspace.hpp"

namespace tavelin::app {

// One terminal application as this application sees it: the catalogue's facts
// and where the workspace finds it. A value, identified by its bundle id. The
// icon is not kept here: this layer holds no images, and a view asks the
// platform for the icon of `url`.
class Terminal {
 public:
  using DisplayName = std::function<std::string(const std::string& path)>;

  // A recognised id takes the catalogue's spelling, name and driver; any
  // other keeps the id as given, is driven with `-e`, and is named after its
  // application (less a trailing ".app"), or by the id when not installed.
  Terminal(const std::string& bundleId, const Workspace& workspace,
           const DisplayName& displayName = displayNameAtPath);

  // The terminals the settings list, in order: the store's list, given the
  // recognised terminals installed here.
  static std::vector<Terminal> list(const Store& store, const Workspace& workspace,
                                    const DisplayName& displayName = displayNameAtPath);

  bool isInstalled() const { return url.has_value(); }

  bool operator==(const Terminal&) const = default;

  std::string bundleId;
  std::string name;
  TerminalDriver driver = TerminalDriver::ExecFlag;
  bool recognised = false;
  std::optional<std::string> url;  // none: not on this machine
};

}  // namespace tavelin::app
