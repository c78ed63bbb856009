#include "controllers/terminal/WezTermAdapter.hpp"

#include <rapidjson/document.h>

#include <cmath>
#include <utility>

#include "controllers/terminal/LoginShell.hpp"

namespace tavelin::app {
namespace {

bool isTrue(const rapidjson::Value& object, const char* member) {
  const auto found = object.FindMember(member);
  return found != object.MemberEnd() && found->value.IsBool() && found->value.GetBool();
}

std::optional<std::int64_t> paneId(const rapidjson::Value& pane) {
  const auto found = pane.FindMember("pane_id");
  if (found == pane.MemberEnd()) return std::nullopt;
  const auto& id = found->value;
  if (id.IsInt64()) return id.GetInt64();
  // Whole numbers written as 7.0 are still that pane; a fraction or a number
  // beyond 64 bits names none, and a clamped or truncated one a wrong pane.
  if (id.IsDouble()) {
    const double value = id.GetDouble();
    if (std::trunc(value) == value && value >= -0x1p63 && value < 0x1p63) return static_cast<std::int64_t>(value);
  }
  return std::nullopt;
}

std::vector<std::string> followedBy(std::vector<std::string> head, const std::vector<std::string>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

}  // namespace

std::optional<std::string> WezTermAdapter::findExecutable(
    const std::optional<std::string>& path, const std::optional<std::string>& home, const std::string& url,
    const std::function<bool(const std::string&)>& isExecutableFile) {
  std::vector<std::string> candidates;
  if (path) {
    std::string_view rest = *path;
    for (;;) {
      const auto colon = rest.find(':');
      const std::string_view folder = rest.substr(0, colon);
      if (!folder.empty()) candidates.push_back(std::string(folder) + "/wezterm");
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }
  candidates.emplace_back("/opt/homebrew/bin/wezterm");
  candidates.emplace_back("/usr/local/bin/wezterm");
  // Without a home folder there is no ~/.local to look in (and "/.local" is
  // someone else's).
  if (home && !home->empty()) candidates.push_back(*home + "/.local/bin/wezterm");
  candidates.push_back(appendingPathComponent(url, "Contents/MacOS/wezterm"));
  for (auto& candidate : candidates) {
    if (isExecutableFile(candidate)) return std::move(candidate);
  }
  return std::nullopt;
}

std::optional<std::int64_t> WezTermAdapter::paneInFront(std::string_view listing) {
  if (listing.empty()) return std::nullopt;
  rapidjson::Document document;
  // Iterative, so that deeply nested text cannot exhaust the stack.
  document.Parse<rapidjson::kParseIterativeFlag>(listing.data(), listing.size());
  if (document.HasParseError() || !document.IsArray()) return std::nullopt;
  const rapidjson::Value* focused = nullptr;
  const rapidjson::Value* active = nullptr;
  for (const auto& pane : document.GetArray()) {
    if (!pane.IsObject()) return std::nullopt;
    if (!isTrue(pane, "is_active")) continue;
    if (active == nullptr) active = &pane;
    if (focused == nullptr && isTrue(pane, "window_is_focused")) focused = &pane;
  }
  const rapidjson::Value* chosen = focused != nullptr ? focused : active;
  if (chosen == nullptr) return std::nullopt;
  return paneId(*chosen);
}

std::vector<std::string> WezTermAdapter::listArguments() { return {"cli", "list", "--format", "json"}; }

std::vector<std::string> WezTermAdapter::spawnArguments(std::optional<std::int64_t> pane,
                                                        const std::vector<std::string>& loginShell) {
  std::vector<std::string> arguments{"cli", "spawn"};
  if (pane) arguments.insert(arguments.end(), {"--pane-id", std::to_string(*pane)});
  arguments.emplace_back("--");
  return followedBy(std::move(arguments), loginShell);
}

std::vector<std::string> WezTermAdapter::startArguments(const std::vector<std::string>& loginShell) {
  return followedBy({"start", "--"}, loginShell);
}

void WezTermAdapter::run(const std::string& command, const Terminal& terminal, const std::string& url,
                         std::function<void(RunOutcome)> completion) {
  auto wezterm = findExecutable(launch_.environment("PATH"), launch_.environment("HOME"), url,
                                launch_.system().isExecutableFile);
  // Checked first, running or not, so that an installation without its
  // program fails the same way whatever state WezTerm is in.
  if (!wezterm) {
    completion(RunOutcome::failed("The wezterm executable is not on this Mac."));
    return;
  }
  auto loginShell = LoginShell::arguments(command, launch_.environment("SHELL"));
  if (!launch_.isRunning(terminal.bundleId)) {
    launch_.open(url, startArguments(loginShell), true, std::move(completion));
    return;
  }
  // Both program runs wait for a child, so each happens off the main thread
  // and comes back here before the next step.
  auto spawn = [&launch = launch_, wezterm = *wezterm, url, loginShell = std::move(loginShell),
                completion = std::move(completion)](RunOutcome listing) {
    const auto pane = listing.kind == RunOutcome::Kind::ran ? paneInFront(listing.text) : std::nullopt;
    launch.process(wezterm, spawnArguments(pane, loginShell), [&launch, url, completion](RunOutcome spawned) {
      // A refused spawn is the outcome: starting another WezTerm instead
      // would hide why the tab did not open.
      if (spawned.kind == RunOutcome::Kind::failed) {
        completion(std::move(spawned));
        return;
      }
      launch.open(url, {}, false, completion);
    });
  };
  launch_.process(*wezterm, listArguments(), std::move(spawn));
}

}  // namespace tavelin::app
