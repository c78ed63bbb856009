// Reads the configuration file with RapidJSON's SAX reader in iterative mode:
// nothing recurses, so neither deep nesting nor a long file can exhaust the
// stack. A handler state machine builds the Settings as the events arrive and
// refuses the whole file at the first problem, with the member or variant at
// fault and its line and column.

#include <tavelin/config.hpp>

#include "json_stream.hpp"
#include "json_text.hpp"
#include "json_values.hpp"

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <utility>

namespace tavelin {

namespace {

using json::as_double;
using json::as_u32;
using json::has_lone_surrogate;
using json::Position;
using json::quoted;
using json::shown;
using json::Type;
using json::Value;

struct Failure {
  std::string what;
  Position at;
};

std::string describe(const Failure& failure) {
  return failure.what + " at line " + std::to_string(failure.at.line) + ", column " +
         std::to_string(failure.at.column);
}

// The objects and arrays whose contents the reader knows.
enum class Context {
  Root,
  Sequences,
  GlobalKeys,
  AddedTerminals,
  RemovedTerminals,
  Sequence,
  GlobalKey,
  Hotkey,
  MainWindow,
  SettingsWindow,
  Action,
  AppAction,
};

// Member indices of each object, in the order the names are listed below.
namespace root {
enum : int {
  sequences,
  global_keys,
  activation_hotkey,
  main_window,
  settings_window,
  view_type,
  appearance,
  terminal,
  added_terminals,
  removed_terminals
};
constexpr std::string_view names[] = {
    "sequences", "global_keys", "activation_hotkey", "main_window",     "settings_window",
    "view_type", "appearance",  "terminal",          "added_terminals", "removed_terminals"};
}  // namespace root
namespace sequence {
enum : int { id, keys, description, action };
constexpr std::string_view names[] = {"id", "keys", "description", "action"};
}  // namespace sequence
namespace global_key {
enum : int { id, key_code, modifiers, description, action };
constexpr std::string_view names[] = {"id", "key_code", "modifiers", "description", "action"};
}  // namespace global_key
namespace hotkey {
enum : int { key_code, modifiers };
constexpr std::string_view names[] = {"key_code", "modifiers"};
}  // namespace hotkey
namespace size {
enum : int { width, height };
constexpr std::string_view names[] = {"width", "height"};
}  // namespace size
namespace action {
enum : int { kind, script, command, action };
constexpr std::string_view names[] = {"kind", "script", "command", "action"};
enum : int { apple_script, command_kind, terminal_command, window, app };
constexpr std::string_view kinds[] = {"appleScript", "command", "terminalCommand", "window", "app"};
}  // namespace action
namespace app {
enum : int { kind, identifier };
constexpr std::string_view names[] = {"kind", "identifier"};
enum : int { toggle, open };
constexpr std::string_view kinds[] = {"toggle", "open"};
}  // namespace app

constexpr std::string_view view_types[] = {"compact", "grid", "list"};
constexpr std::string_view appearances[] = {"system", "dark", "light"};
constexpr std::string_view window_actions[] = {"moveLeft",         "moveRight",          "moveTop",
                                               "moveBottom",       "centerHorizontally", "toggleMaximize",
                                               "moveToNextDisplay"};

std::span<const std::string_view> member_names(Context context) {
  switch (context) {
    case Context::Root: return root::names;
    case Context::Sequence: return sequence::names;
    case Context::GlobalKey: return global_key::names;
    case Context::Hotkey: return hotkey::names;
    case Context::MainWindow:
    case Context::SettingsWindow: return size::names;
    case Context::Action: return action::names;
    case Context::AppAction: return app::names;
    default: return {};
  }
}

std::string_view array_name(Context context) {
  switch (context) {
    case Context::Sequences: return "sequences";
    case Context::GlobalKeys: return "global_keys";
    case Context::AddedTerminals: return "added_terminals";
    default: return "removed_terminals";
  }
}

int index_of(std::span<const std::string_view> names, std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return static_cast<int>(i);
  }
  return -1;
}

// "a", "b" or "c"
std::string alternatives(std::span<const std::string_view> names) {
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += i + 1 == names.size() ? " or " : ", ";
    out += quoted(names[i]);
  }
  return out;
}

std::string for_member(std::string_view name) { return " for \"" + std::string(name) + '"'; }

std::string missing(std::string_view name) { return "missing field \"" + std::string(name) + '"'; }

// A member value kept until its object ends, when "kind" says what it must be.
struct Held {
  Position at;
  bool is_string = false;
  std::string text;                                      // the string, when it is one
  std::string shown;                                     // how the value is named in a message
  std::optional<std::expected<AppAction, Failure>> app;  // given as an object
};

struct ActionDraft {
  int kind = -1;
  Held script, command, action;
};

struct AppDraft {
  int kind = -1;
  Held identifier;
  std::optional<Failure> failure;
};

struct Frame {
  static constexpr int none = -1;
  static constexpr int skip = -2;

  Context context = Context::Root;
  int pending = none;  // the member whose value comes next, or skip for an unknown one
  unsigned seen = 0;   // one bit per member already given
};

class Handler {
 public:
  explicit Handler(const json::CountingStream& stream) : stream_(stream) {}

  // RapidJSON's events. The iterative reader calls StartObject/StartArray and
  // EndObject/EndArray with the stream on the bracket itself; every other
  // event comes after its token is consumed.
  bool Null() { return scalar(Type::Null, "null"); }
  bool Bool(bool b) { return scalar(Type::Boolean, b ? "true" : "false"); }
  bool RawNumber(const char* s, rapidjson::SizeType n, bool) { return scalar(Type::Number, {s, n}); }
  bool String(const char* s, rapidjson::SizeType n, bool) {
    begin();
    if (has_lone_surrogate({s, n})) return refuse({"unpaired surrogate escape in string", token_start()});
    return value({Type::String, {s, n}, token_start()});
  }
  bool StartObject() { return container(Type::Object); }
  bool StartArray() { return container(Type::Array); }
  bool Key(const char* s, rapidjson::SizeType n, bool) {
    begin();
    return key({s, n});
  }
  bool EndObject(rapidjson::SizeType) {
    begin();
    return close();
  }
  bool EndArray(rapidjson::SizeType) {
    begin();
    return close();
  }
  // Numbers come as raw text (kParseNumbersAsStringsFlag); these never fire.
  bool Int(int) { return unexpected_event(); }
  bool Uint(unsigned) { return unexpected_event(); }
  bool Int64(std::int64_t) { return unexpected_event(); }
  bool Uint64(std::uint64_t) { return unexpected_event(); }
  bool Double(double) { return unexpected_event(); }

  const std::optional<Failure>& failure() const { return failure_; }
  Settings take_settings() { return std::move(settings_); }

  // RapidJSON's own refusal as a sentence.
  std::string syntax_error(rapidjson::ParseErrorCode code, std::size_t offset) const {
    const std::string_view text = stream_.text();
    Position at = offset >= prev_.offset ? prev_ : Position{};
    json::advance(text, at, offset);
    const bool in_text = offset < text.size();
    std::string what;
    if (in_text && text[offset] == '\0') {
      what = "unexpected NUL byte";
    } else if (code == rapidjson::kParseErrorStringEscapeInvalid && in_text &&
               static_cast<unsigned char>(text[offset]) < 0x20) {
      what = "unescaped control character in string";
    } else if (code == rapidjson::kParseErrorNumberMissFraction) {
      what = "missing digits after the decimal point";
    } else if (code == rapidjson::kParseErrorNumberMissExponent) {
      what = "missing digits in the exponent";
    } else {
      what = rapidjson::GetParseError_En(code);
      if (!what.empty() && what.back() == '.') what.pop_back();
      if (!what.empty() && what.front() >= 'A' && what.front() <= 'Z')
        what.front() = static_cast<char>(what.front() - 'A' + 'a');
    }
    // A broken value is attributed to the member it was meant for.
    const bool value_error = code == rapidjson::kParseErrorValueInvalid ||
                             (code >= rapidjson::kParseErrorStringUnicodeEscapeInvalidHex &&
                              code <= rapidjson::kParseErrorNumberMissExponent);
    if (value_error && skip_ == 0 && depth_ > 0 && frames_[depth_ - 1].pending >= 0) {
      const Frame& f = frames_[depth_ - 1];
      what += for_member(member_names(f.context)[static_cast<std::size_t>(f.pending)]);
    }
    return describe({what, at});
  }

 private:
  // Each event notes where the stream stood, so a value's start can be found
  // by stepping over the separators that followed the previous event.
  void begin() {
    from_ = prev_;
    prev_ = stream_.position();
  }

  Position token_start() const {
    const std::string_view text = stream_.text();
    Position p = from_;
    while (p.offset < text.size() && std::strchr(" \t\r\n,:{[}]", text[p.offset]) != nullptr) {
      json::step(p, text[p.offset]);
    }
    return p;
  }

  Frame* top() { return depth_ > 0 ? &frames_[depth_ - 1] : nullptr; }

  // The known structure is at most five levels deep; anything deeper is in an
  // unknown member and skipped with a counter, or is refused as the wrong type.
  bool push(Context context) {
    frames_[depth_++] = Frame{context};
    return true;
  }

  bool refuse(Failure failure) {
    failure_ = std::move(failure);
    return false;
  }

  // Inside an AppAction object a problem is only noted: that object matters
  // only when the enclosing action's "kind", which may come later, is "app".
  bool fail(Failure failure) {
    if (depth_ > 0 && frames_[depth_ - 1].context == Context::AppAction) {
      if (!app_.failure) app_.failure = std::move(failure);
      return true;
    }
    return refuse(std::move(failure));
  }

  bool unexpected_event() { return refuse({"unexpected number event", stream_.position()}); }

  bool scalar(Type type, std::string_view text) {
    begin();
    return value({type, text, token_start()});
  }

  bool container(Type type) {
    begin();
    return value({type, {}, prev_});
  }

  // A value of the wrong type; a container is then skipped whole if reading
  // goes on.
  bool mismatch(const Value& v, std::string_view expected, const std::string& where) {
    if (!fail({"invalid type: " + shown(v) + ", expected " + std::string(expected) + where, v.at}))
      return false;
    if (is_container(v)) skip_ = 1;
    return true;
  }

  bool unknown_variant(const Value& v, std::string_view member, std::span<const std::string_view> names) {
    return fail(
        {"unknown variant " + quoted(v.text) + for_member(member) + " (expected " + alternatives(names) + ")",
         v.at});
  }

  Held hold(const Value& v) {
    Held h;
    h.at = v.at;
    h.shown = shown(v);
    if (v.type == Type::String) {
      h.is_string = true;
      h.text = v.text;
    } else if (is_container(v)) {
      skip_ = 1;
    }
    return h;
  }

  bool key(std::string_view name) {
    if (has_lone_surrogate(name)) return refuse({"unpaired surrogate escape in member name", token_start()});
    if (skip_ > 0) return true;
    Frame& f = *top();
    f.pending = Frame::skip;
    const int i = index_of(member_names(f.context), name);
    if (i < 0) return true;
    const unsigned bit = 1u << i;
    if (f.seen & bit) return fail({"duplicate field " + quoted(name), token_start()});
    f.seen |= bit;
    f.pending = i;
    return true;
  }

  bool value(const Value& v) {
    if (skip_ > 0) {
      if (is_container(v)) ++skip_;
      return true;
    }
    Frame* f = top();
    if (f == nullptr) {
      if (v.type != Type::Object)
        return refuse({"invalid type: " + shown(v) + ", expected an object holding the configuration", v.at});
      return push(Context::Root);
    }
    switch (f->context) {
      case Context::Sequences:
      case Context::GlobalKeys: {
        const std::string where = " for an element of \"" + std::string(array_name(f->context)) + '"';
        if (v.type != Type::Object) return mismatch(v, "an object", where);
        if (f->context == Context::Sequences) {
          sequence_ = {};
          return push(Context::Sequence);
        }
        global_key_ = {};
        return push(Context::GlobalKey);
      }
      case Context::AddedTerminals:
      case Context::RemovedTerminals: {
        if (v.type != Type::String)
          return mismatch(v, "a string", " for an element of \"" + std::string(array_name(f->context)) + '"');
        auto& list =
            f->context == Context::AddedTerminals ? settings_.added_terminals : settings_.removed_terminals;
        list.emplace_back(v.text);
        return true;
      }
      default: break;
    }
    const int member = std::exchange(f->pending, Frame::none);
    if (member == Frame::skip) {
      if (is_container(v)) skip_ = 1;
      return true;
    }
    const std::string_view name = member_names(f->context)[static_cast<std::size_t>(member)];
    switch (f->context) {
      case Context::Root: return root_member(member, name, v);
      case Context::Sequence: return sequence_member(member, name, v);
      case Context::GlobalKey: return global_key_member(member, name, v);
      case Context::Hotkey:
        return u32(v, name,
                   member == hotkey::key_code ? settings_.activation_hotkey.key_code
                                              : settings_.activation_hotkey.modifiers);
      case Context::MainWindow:
      case Context::SettingsWindow: {
        auto& window = f->context == Context::MainWindow ? settings_.main_window : settings_.settings_window;
        return number(v, name, member == size::width ? window.width : window.height);
      }
      case Context::Action: return action_member(member, name, v);
      case Context::AppAction: return app_member(member, name, v);
      default: return true;
    }
  }

  bool string(const Value& v, std::string_view name, std::string& out) {
    if (v.type != Type::String) return mismatch(v, "a string", for_member(name));
    out.assign(v.text);
    return true;
  }

  bool u32(const Value& v, std::string_view name, std::uint32_t& out) {
    constexpr std::string_view expected = "an unsigned 32-bit integer";
    if (v.type != Type::Number) return mismatch(v, expected, for_member(name));
    const auto n = as_u32(v.text);
    if (!n)
      return fail(
          {"invalid value: " + shown(v) + ", expected " + std::string(expected) + for_member(name), v.at});
    out = *n;
    return true;
  }

  bool number(const Value& v, std::string_view name, double& out) {
    if (v.type != Type::Number) return mismatch(v, "a number", for_member(name));
    const auto d = as_double(v.text);
    if (!d)
      return fail({"invalid value: " + shown(v) + ", expected a number within the range of a 64-bit float" +
                       for_member(name),
                   v.at});
    out = *d;
    return true;
  }

  template <class Enum>
  bool variant(const Value& v, std::string_view name, std::span<const std::string_view> names, Enum& out) {
    if (v.type != Type::String) return mismatch(v, "a string", for_member(name));
    const int i = index_of(names, v.text);
    if (i < 0) return unknown_variant(v, name, names);
    out = static_cast<Enum>(i);
    return true;
  }

  bool array_or_object(const Value& v, std::string_view name, Type type, Context context) {
    if (v.type != type) return mismatch(v, type == Type::Array ? "an array" : "an object", for_member(name));
    return push(context);
  }

  bool root_member(int member, std::string_view name, const Value& v) {
    switch (member) {
      case root::sequences: return array_or_object(v, name, Type::Array, Context::Sequences);
      case root::global_keys: return array_or_object(v, name, Type::Array, Context::GlobalKeys);
      case root::activation_hotkey: return array_or_object(v, name, Type::Object, Context::Hotkey);
      case root::main_window: return array_or_object(v, name, Type::Object, Context::MainWindow);
      case root::settings_window: return array_or_object(v, name, Type::Object, Context::SettingsWindow);
      case root::view_type: return variant(v, name, view_types, settings_.view_type);
      case root::appearance: return variant(v, name, appearances, settings_.appearance);
      case root::terminal: return string(v, name, settings_.terminal);
      case root::added_terminals: return array_or_object(v, name, Type::Array, Context::AddedTerminals);
      default: return array_or_object(v, name, Type::Array, Context::RemovedTerminals);
    }
  }

  bool start_action(const Value& v, std::string_view name) {
    if (v.type != Type::Object) return mismatch(v, "an object", for_member(name));
    action_ = {};
    return push(Context::Action);
  }

  bool sequence_member(int member, std::string_view name, const Value& v) {
    switch (member) {
      case sequence::id: return string(v, name, sequence_.id);
      case sequence::keys: return string(v, name, sequence_.keys);
      case sequence::description: return string(v, name, sequence_.description);
      default: return start_action(v, name);
    }
  }

  bool global_key_member(int member, std::string_view name, const Value& v) {
    switch (member) {
      case global_key::id: return string(v, name, global_key_.id);
      case global_key::key_code: return u32(v, name, global_key_.key_code);
      case global_key::modifiers: return u32(v, name, global_key_.modifiers);
      case global_key::description: return string(v, name, global_key_.description);
      default: return start_action(v, name);
    }
  }

  bool action_member(int member, std::string_view name, const Value& v) {
    switch (member) {
      case action::kind: return variant(v, name, action::kinds, action_.kind);
      case action::script: action_.script = hold(v); return true;
      case action::command: action_.command = hold(v); return true;
      default:
        if (v.type != Type::Object) {
          action_.action = hold(v);
          return true;
        }
        // Read as an AppAction for now; whether it is one depends on "kind".
        action_.action = Held{};
        action_.action.at = v.at;
        action_.action.shown = shown(v);
        app_ = {};
        return push(Context::AppAction);
    }
  }

  bool app_member(int member, std::string_view name, const Value& v) {
    if (member == app::kind) return variant(v, name, app::kinds, app_.kind);
    app_.identifier = hold(v);
    return true;
  }

  bool close() {
    if (skip_ > 0) {
      --skip_;
      return true;
    }
    const Frame f = frames_[--depth_];
    const Position at = prev_;
    const auto require = [&](std::initializer_list<int> members) -> bool {
      for (const int m : members) {
        if (!(f.seen & (1u << m)))
          return refuse({missing(member_names(f.context)[static_cast<std::size_t>(m)]), at});
      }
      return true;
    };
    switch (f.context) {
      case Context::Root:
        return require({root::sequences, root::global_keys, root::activation_hotkey, root::main_window,
                        root::settings_window, root::view_type, root::terminal});
      case Context::Sequence:
        if (!require({sequence::id, sequence::keys, sequence::description, sequence::action})) return false;
        settings_.sequences.push_back(std::move(sequence_));
        return true;
      case Context::GlobalKey:
        if (!require({global_key::id, global_key::key_code, global_key::modifiers, global_key::description,
                      global_key::action}))
          return false;
        settings_.global_keys.push_back(std::move(global_key_));
        return true;
      case Context::Hotkey: return require({hotkey::key_code, hotkey::modifiers});
      case Context::MainWindow:
      case Context::SettingsWindow: return require({size::width, size::height});
      case Context::Action: {
        auto built = build_action(f.seen, at);
        if (!built) return refuse(std::move(built.error()));
        (frames_[depth_ - 1].context == Context::Sequence ? sequence_.action : global_key_.action) =
            std::move(*built);
        return true;
      }
      case Context::AppAction: action_.action.app = build_app(f.seen, at); return true;
      default: return true;
    }
  }

  template <class Variant>
  static std::expected<KeyAction, Failure> with_text(std::expected<std::string, Failure> text) {
    if (!text) return std::unexpected(std::move(text.error()));
    return KeyAction{Variant{std::move(*text)}};
  }

  static std::expected<std::string, Failure> need_string(unsigned seen, int member, Held& held,
                                                         std::string_view name, Position end) {
    if (!(seen & (1u << member))) return std::unexpected(Failure{missing(name), end});
    if (!held.is_string) {
      return std::unexpected(
          Failure{"invalid type: " + held.shown + ", expected a string" + for_member(name), held.at});
    }
    return std::move(held.text);
  }

  std::expected<AppAction, Failure> build_app(unsigned seen, Position end) {
    if (app_.failure) return std::unexpected(std::move(*app_.failure));
    if (!(seen & (1u << app::kind))) return std::unexpected(Failure{missing("kind"), end});
    if (app_.kind == app::toggle) return AppAction{AppAction::Toggle{}};
    auto identifier = need_string(seen, app::identifier, app_.identifier, "identifier", end);
    if (!identifier) return std::unexpected(std::move(identifier.error()));
    return AppAction{AppAction::Open{std::move(*identifier)}};
  }

  std::expected<KeyAction, Failure> build_action(unsigned seen, Position end) {
    if (!(seen & (1u << action::kind))) return std::unexpected(Failure{missing("kind"), end});
    const auto text = [&](int member, Held& held, std::string_view name) {
      return need_string(seen, member, held, name, end);
    };
    switch (action_.kind) {
      case action::apple_script:
        return with_text<KeyAction::AppleScript>(text(action::script, action_.script, "script"));
      case action::command_kind:
        return with_text<KeyAction::Command>(text(action::command, action_.command, "command"));
      case action::terminal_command:
        return with_text<KeyAction::TerminalCommand>(text(action::command, action_.command, "command"));
      default: break;
    }
    Held& held = action_.action;
    if (!(seen & (1u << action::action))) return std::unexpected(Failure{missing("action"), end});
    if (action_.kind == action::window) {
      if (!held.is_string) {
        return std::unexpected(
            Failure{"invalid type: " + held.shown + ", expected a string" + for_member("action"), held.at});
      }
      const int i = index_of(window_actions, held.text);
      if (i < 0) {
        return std::unexpected(Failure{"unknown variant " + quoted(held.text) + for_member("action") +
                                           " (expected " + alternatives(window_actions) + ")",
                                       held.at});
      }
      return KeyAction{KeyAction::Window{static_cast<WindowAction>(i)}};
    }
    if (!held.app) {
      return std::unexpected(
          Failure{"invalid type: " + held.shown + ", expected an object" + for_member("action"), held.at});
    }
    if (!*held.app) return std::unexpected(std::move(held.app->error()));
    return KeyAction{KeyAction::App{std::move(**held.app)}};
  }

  const json::CountingStream& stream_;
  Position prev_;  // where the stream stood at the latest event
  Position from_;  // where it stood at the one before
  std::array<Frame, 6> frames_{};
  std::size_t depth_ = 0;
  std::size_t skip_ = 0;  // depth inside a value that is being skipped
  std::optional<Failure> failure_;

  Settings settings_;
  KeySequence sequence_;
  GlobalKey global_key_;
  ActionDraft action_;
  AppDraft app_;
};

}  // namespace

std::expected<Settings, std::string> settings_from_json(std::string_view json) {
  // Some editors start a UTF-8 file with a byte order mark; it is not part of
  // the text, and positions are counted as the editor shows them, without it.
  if (json.starts_with("\xEF\xBB\xBF")) json.remove_prefix(3);
  try {
    json::CountingStream stream(json);
    Handler handler(stream);
    rapidjson::Reader reader;
    constexpr unsigned flags = rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag |
                               rapidjson::kParseNumbersAsStringsFlag;
    const rapidjson::ParseResult result = reader.Parse<flags>(stream, handler);
    if (result.IsError()) {
      if (handler.failure()) return std::unexpected(describe(*handler.failure()));
      return std::unexpected(handler.syntax_error(result.Code(), result.Offset()));
    }
    // RapidJSON takes a NUL byte for the end of the text.
    if (!stream.at_end()) return std::unexpected(describe({"unexpected NUL byte", stream.position()}));
    return handler.take_settings();
  } catch (const std::bad_alloc&) {
    return std::unexpected("not enough memory to read the configuration");
  }
}

}  // namespace tavelin
