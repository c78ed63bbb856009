#pragma once

// The store's file procedures: reading a whole configuration file, and
// writing one through a temporary file renamed over it.

#include <expected>
#include <filesystem>
#include <string>

#include <tavelin/config.hpp>
#include <tavelin/error.hpp>

namespace tavelin::files {

// The operating system's description of an errno value, in the form
// "No such file or directory (os error 2)".
std::string os_reason(int error);

// A path as a person reads it; bytes that are not UTF-8 show as U+FFFD.
std::string display(const std::filesystem::path& path);

// "config.json" → "config.json.tmp", "backup.txt" → "backup.json.tmp",
// "config" → "config.json.tmp".
std::filesystem::path temporary_path(const std::filesystem::path& path);

// Where a write to `path` must land: the file a symbolic link points to, so a
// linked configuration keeps its link; otherwise `path` itself.
std::filesystem::path write_target(const std::filesystem::path& path);

std::expected<Settings, CoreError> read(const std::filesystem::path& path);

std::expected<void, CoreError> write(const std::filesystem::path& path, const Settings& settings);

// Whether writes flush the temporary file and the folder to the disk before
// and after the rename. On by default; only benchmarks turn it off, to show
// what durability costs.
void set_durable_writes(bool durable);

}  // namespace tavelin::files
