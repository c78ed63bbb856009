#pragma once

// A system whose answers the test sets, recording every question put to it.

#include <set>
#include <string>
#include <vector>

#include "platform/PermissionProbe.hpp"

namespace tavelin::app::testing {

class FakePermissionProbe final : public PermissionProbe {
 public:
  // --- answers -------------------------------------------------------------
  bool trusted = false;
  bool keyMonitorInstalls = false;
  bool hotKeyRegisters = false;
  std::set<std::string> readableFiles;

  // Grants everything the checks look for.
  void grantAll(const std::string& fullDiskAccessFile) {
    trusted = keyMonitorInstalls = hotKeyRegisters = true;
    readableFiles.insert(fullDiskAccessFile);
  }

  // --- records -------------------------------------------------------------
  std::vector<bool> trustPrompts;  // the prompt flag of each trust question
  int keyMonitorAttempts = 0;
  std::vector<ProbeHotKey> hotKeys;
  int eventTapAttempts = 0;
  std::vector<std::string> filesRead;

  // --- PermissionProbe -----------------------------------------------------
  bool isAccessibilityTrusted(bool prompt) override {
    trustPrompts.push_back(prompt);
    return trusted;
  }
  bool installsGlobalKeyMonitor() override {
    ++keyMonitorAttempts;
    return keyMonitorInstalls;
  }
  bool registersHotKey(const ProbeHotKey& hotKey) override {
    hotKeys.push_back(hotKey);
    return hotKeyRegisters;
  }
  void attemptKeyEventTap() override { ++eventTapAttempts; }
  bool isReadableFile(const std::string& path) override {
    filesRead.push_back(path);
    return readableFiles.contains(path);
  }
};

}  // namespace tavelin::app::testing
