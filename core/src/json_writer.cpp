// The configuration file's pretty layout, written by hand because people read
// and diff the file: two-space indents, `": "` after keys, `[]` for empty
// arrays, no line break after the final brace.

#include <tavelin/config.hpp>

#include "json_text.hpp"
#include "text.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>

namespace tavelin {

namespace json {

void append_string(std::string& out, std::string_view s) {
  static constexpr char hex[] = "0123456789abcdef";
  out += '"';
  for (std::size_t pos = 0; pos < s.size();) {
    const auto byte = static_cast<unsigned char>(s[pos]);
    if (byte >= 0x80) {
      const std::size_t start = pos;
      if (text::decode(s, pos)) {
        out.append(s, start, pos - start);
      } else {
        out += "\xEF\xBF\xBD";
      }
      continue;
    }
    ++pos;
    switch (byte) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20) {
          out += "\\u00";
          out += hex[byte >> 4];
          out += hex[byte & 0xF];
        } else {
          out += static_cast<char>(byte);
        }
    }
  }
  out += '"';
}

void append_double(std::string& out, double value) {
  if (std::isnan(value)) {
    value = 0.0;
  } else if (std::isinf(value)) {
    value = std::copysign(std::numeric_limits<double>::max(), value);
  }
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  const std::string_view digits(buffer, static_cast<std::size_t>(end - buffer));
  out += digits;
  if (digits.find_first_of(".e") == std::string_view::npos) out += ".0";
}

}  // namespace json

namespace {

class Writer {
 public:
  explicit Writer(std::size_t expected_size) { out_.reserve(expected_size); }

  std::string take() { return std::move(out_); }

  void open_object() {
    out_ += '{';
    ++depth_;
    first_ = true;
  }

  void close_object() {
    --depth_;
    new_line();
    out_ += '}';
    first_ = false;
  }

  // Starts a member: separator, line break, indent, quoted key and ": ".
  void key(std::string_view name) {
    item();
    json::append_string(out_, name);
    out_ += ": ";
  }

  void string(std::string_view s) { json::append_string(out_, s); }
  void number(std::uint32_t n) {
    char buffer[16];
    out_.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, n).ptr);
  }
  void number(double d) { json::append_double(out_, d); }

  template <class T, class WriteOne>
  void array(const std::vector<T>& items, WriteOne write_one) {
    if (items.empty()) {
      out_ += "[]";
      return;
    }
    out_ += '[';
    ++depth_;
    first_ = true;
    for (const T& each : items) {
      item();
      write_one(each);
    }
    --depth_;
    new_line();
    out_ += ']';
    first_ = false;
  }

 private:
  void item() {
    if (!first_) out_ += ',';
    first_ = false;
    new_line();
  }

  void new_line() {
    out_ += '\n';
    out_.append(2 * depth_, ' ');
  }

  std::string out_;
  std::size_t depth_ = 0;
  bool first_ = true;
};

void write(Writer& w, const WindowSize& size) {
  w.open_object();
  w.key("width");
  w.number(size.width);
  w.key("height");
  w.number(size.height);
  w.close_object();
}

void write(Writer& w, const Hotkey& hotkey) {
  w.open_object();
  w.key("key_code");
  w.number(hotkey.key_code);
  w.key("modifiers");
  w.number(hotkey.modifiers);
  w.close_object();
}

void write(Writer& w, const AppAction& action) {
  w.open_object();
  w.key("kind");
  if (const auto* open = std::get_if<AppAction::Open>(&action.value)) {
    w.string("open");
    w.key("identifier");
    w.string(open->identifier);
  } else {
    w.string("toggle");
  }
  w.close_object();
}

void write(Writer& w, const KeyAction& action) {
  w.open_object();
  w.key("kind");
  std::visit(
      [&w]<class T>(const T& variant) {
        if constexpr (std::is_same_v<T, KeyAction::AppleScript>) {
          w.string("appleScript");
          w.key("script");
          w.string(variant.script);
        } else if constexpr (std::is_same_v<T, KeyAction::Command>) {
          w.string("command");
          w.key("command");
          w.string(variant.command);
        } else if constexpr (std::is_same_v<T, KeyAction::TerminalCommand>) {
          w.string("terminalCommand");
          w.key("command");
          w.string(variant.command);
        } else if constexpr (std::is_same_v<T, KeyAction::Window>) {
          w.string("window");
          w.key("action");
          w.string(window_action_name(variant.action));
        } else {
          w.string("app");
          w.key("action");
          write(w, variant.action);
        }
      },
      action.value);
  w.close_object();
}

void write(Writer& w, const KeySequence& sequence) {
  w.open_object();
  w.key("id");
  w.string(sequence.id);
  w.key("keys");
  w.string(sequence.keys);
  w.key("description");
  w.string(sequence.description);
  w.key("action");
  write(w, sequence.action);
  w.close_object();
}

void write(Writer& w, const GlobalKey& key) {
  w.open_object();
  w.key("id");
  w.string(key.id);
  w.key("key_code");
  w.number(key.key_code);
  w.key("modifiers");
  w.number(key.modifiers);
  w.key("description");
  w.string(key.description);
  w.key("action");
  write(w, key.action);
  w.close_object();
}

}  // namespace

std::string settings_to_json(const Settings& settings) {
  // About 300 bytes per binding in the pretty form; a close guess saves the
  // string from growing many times for a large configuration.
  Writer w(1024 + 320 * (settings.sequences.size() + settings.global_keys.size()));
  const auto strings = [&w](const std::string& s) { w.string(s); };
  w.open_object();
  w.key("sequences");
  w.array(settings.sequences, [&w](const KeySequence& s) { write(w, s); });
  w.key("global_keys");
  w.array(settings.global_keys, [&w](const GlobalKey& k) { write(w, k); });
  w.key("activation_hotkey");
  write(w, settings.activation_hotkey);
  w.key("main_window");
  write(w, settings.main_window);
  w.key("settings_window");
  write(w, settings.settings_window);
  w.key("view_type");
  w.string(view_type_name(settings.view_type));
  w.key("appearance");
  w.string(appearance_name(settings.appearance));
  w.key("terminal");
  w.string(settings.terminal);
  w.key("added_terminals");
  w.array(settings.added_terminals, strings);
  w.key("removed_terminals");
  w.array(settings.removed_terminals, strings);
  w.close_object();
  return w.take();
}

}  // namespace tavelin
