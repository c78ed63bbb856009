#!/usr/bin/env bash
# One end-to-end scenario on a private X display:
#   e2e/run.sh SCENARIO path/to/tavelin path/to/tavelin_e2e_hold_chord
# Every wait polls with a deadline; nothing sleeps a fixed time to wait.
set -euo pipefail
scenario=$1 tavelin=$2 hold_chord=$3

work=$(mktemp -d /tmp/tavelin-e2e-XXXXXX)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "e2e $scenario: $*" >&2; [[ -f ${log:-} ]] && sed 's/^/  log: /' "$log" >&2; [[ -s $work/tavelin.out ]] && sed 's/^/  out: /' "$work/tavelin.out" >&2; exit 1; }

# wait_for DESCRIPTION SECONDS COMMAND...: polls until COMMAND succeeds.
wait_for() {
  local what=$1 seconds=$2; shift 2
  local deadline=$(($(date +%s%N) + seconds * 1000000000))
  until "$@" >/dev/null 2>&1; do
    (($(date +%s%N) < deadline)) || fail "timed out waiting for $what"
    sleep 0.01
  done
}

# --- the desktop -------------------------------------------------------------
mkdir -p "$work/openbox"
cat >"$work/openbox/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <desktops><number>1</number></desktops>
  <keyboard></keyboard>
  <mouse></mouse>
</openbox_config>
XML

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }

# One try at Xvfb with openbox on it; on failure both are gone again. The
# display number is drawn at random, not the lowest free one, so that a test
# never takes the number of a neighbour's server that is still going away;
# Xvfb writes it to the pipe once it listens, and exits when it is in use.
# -noreset: by default the server resets when its last client leaves, and a
# poll that connects before openbox does would make openbox's own connection
# fail in that reset.
try_desktop() {
  local number= fifo=$work/display
  rm -f "$fifo" && mkfifo "$fifo"
  exec 3<>"$fifo"
  Xvfb ":$((1000 + RANDOM % 30000))" -displayfd 3 -screen 0 1440x900x24 -nolisten tcp -noreset \
    >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 200); do
    read -r -t 0.05 number <&3 && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
  done
  exec 3>&-
  if [[ -n $number ]]; then
    export DISPLAY=":$number"
    openbox --config-file "$work/openbox/rc.xml" >"$work/openbox.log" 2>&1 &
    openbox_pid=$!
    for _ in $(seq 1000); do
      wm_running && return 0
      kill -0 "$openbox_pid" 2>/dev/null || break
      sleep 0.01
    done
    kill "$openbox_pid" 2>/dev/null || true
    wait "$openbox_pid" 2>/dev/null || true
  fi
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  return 1
}

# Servers and window managers started side by side by parallel tests now and
# then fail to come up: start over a few times before giving up.
desktop=
for _ in 1 2 3; do
  try_desktop && { desktop=up; break; }
done
[[ -n $desktop ]] || fail "no desktop: Xvfb said $(tail -n 2 "$work/xvfb.log"); openbox said $(tail -n 2 "$work/openbox.log" 2>/dev/null)"
pids+=("$xvfb_pid" "$openbox_pid")

export HOME=$work/home XDG_RUNTIME_DIR=$work/run
unset XDG_CONFIG_HOME XDG_DATA_HOME
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
config_dir="$HOME/Library/Application Support/Tavelin"
config="$config_dir/config.json"
log="$HOME/Library/Logs/Tavelin.log"

# --- helpers -----------------------------------------------------------------
# A configuration: the sequences a scenario types, and one global key given as
# key code, modifier mask and command.
write_config() {
  local key_code=$1 modifiers=$2 command=$3
  mkdir -p "$config_dir"
  cat >"$config.new" <<JSON
{
  "sequences": [
    {"id": "s1", "keys": "qq", "description": "Toggle recent apps", "action": {"kind": "app", "action": {"kind": "toggle"}}},
    {"id": "s2", "keys": "wh", "description": "Window: Move Left", "action": {"kind": "window", "action": "moveLeft"}},
    {"id": "s3", "keys": "wn", "description": "Window: Move to Next Display", "action": {"kind": "window", "action": "moveToNextDisplay"}}
  ],
  "global_keys": [
    {"id": "g1", "key_code": $key_code, "modifiers": $modifiers, "description": "Write a file", "action": {"kind": "command", "command": "$command"}}
  ],
  "activation_hotkey": {"key_code": 49, "modifiers": 2048},
  "main_window": {"width": 600, "height": 400},
  "settings_window": {"width": 600, "height": 500},
  "view_type": "compact",
  "terminal": "com.apple.Terminal"
}
JSON
  mv "$config.new" "$config"  # as an editor saves: a new file renamed over
}

start_xterm() {  # NAME X: an xterm whose instance name is NAME; prints its window id
  xterm -name "$1" -geometry 80x24+"$2"+200 >/dev/null 2>&1 &
  pids+=($!)
  wait_for "xterm $1" 10 xdotool search --onlyvisible --classname "$1"
  xdotool search --onlyvisible --classname "$1" | head -n 1
}

start_tavelin() {
  "$tavelin" >"$work/tavelin.out" 2>&1 &
  tavelin_pid=$!
  pids+=($tavelin_pid)
  wait_for "the hot keys" 20 grep -q "hotkeys " "$log"
}

is_active() { [[ $(xdotool getactivewindow) == "$1" ]]; }
activate() { xdotool windowactivate --sync "$1"; wait_for "window $1 active" 5 is_active "$1"; }
tavelin_window_shown() { xdotool search --onlyvisible --name '^Tavelin$'; }
show_window() {
  xdotool key alt+space
  wait_for "the typing window" 5 tavelin_window_shown
}
# Client geometry as "x y width height", absolute.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}
# within VALUE LOW HIGH
within() { (($1 >= $2 && $1 <= $3)); }
left_half_after_wh() {  # WINDOW LOW-WIDTH HIGH-WIDTH
  read -r x _ w _ < <(geometry "$1")
  within "$x" 0 4 && within "$w" "$2" "$3"
}

# --- scenarios ---------------------------------------------------------------
chord_and_window_moves() {
  write_config 17 6144 "true"
  local term; term=$(start_xterm termA 300)
  start_tavelin
  activate "$term"
  show_window
  xdotool type --delay 30 wh
  # Half of 1440, less the frame's border and xterm's character cell.
  wait_for "the left half" 5 left_half_after_wh "$term" 700 720
  activate "$term"
  show_window
  xdotool type --delay 30 wh
  wait_for "two thirds" 5 left_half_after_wh "$term" 940 960

  xrandr --setmonitor left 720/190x900/238+0+0 screen >/dev/null
  xrandr --setmonitor right 720/190x900/238+720+0 none >/dev/null
  activate "$term"
  show_window
  xdotool type --delay 30 wn
  on_right() { read -r x _ _ _ < <(geometry "$term"); within "$x" 720 1440; }
  wait_for "the other monitor" 5 on_right
}

global_key_runs_command() {
  write_config 17 6144 "echo hello > \\\"\$HOME/global.txt\\\""
  start_tavelin
  xdotool key ctrl+alt+t
  wait_for "the command's file" 5 grep -q hello "$HOME/global.txt"
  wait_for "the ran line" 5 grep -q "ran Command: " "$log"
  grep -q "global ⌃⌥T · Write a file" "$log" || fail "no global line"
}

conflicting_chord() {
  write_config 17 6144 "true"
  "$hold_chord" 74 12 >"$work/hold.out" &  # "t" with Control+Mod1, held by another client
  pids+=($!)
  wait_for "the rival grab" 5 grep -q held "$work/hold.out"
  start_tavelin
  grep -q "hotkeys 1/2 registered" "$log" || fail "expected one of two chords"
  grep -q "blocked · ⌃⌥T (Write a file) could not be registered — another app already has it. (OSStatus -9878)" "$log" ||
    fail "no conflict line"
  show_window  # the activation chord still works
}

toggle_recent_apps() {
  write_config 17 6144 "true"
  local a b
  a=$(start_xterm termA 100)
  b=$(start_xterm termB 700)
  start_tavelin
  activate "$a"
  activate "$b"
  show_window
  xdotool type --delay 30 qq
  wait_for "the previous xterm in front" 5 is_active "$a"
}

hand_edit_reregisters() {
  write_config 17 6144 "true"
  start_tavelin
  local before; before=$(grep -c "hotkeys " "$log")
  local started; started=$(date +%s%N)
  write_config 16 6144 "echo edited > \\\"\$HOME/edited.txt\\\""  # now ⌃⌥Y
  registered_again() { (($(grep -c "hotkeys " "$log") > before)); }
  wait_for "the re-registration" 5 registered_again
  echo "re-registered $(( ($(date +%s%N) - started) / 1000000 )) ms after the edit"
  xdotool key ctrl+alt+y
  wait_for "the edited command" 5 grep -q edited "$HOME/edited.txt"
}

quit_writes_stop_line() {
  write_config 17 6144 "true"
  start_tavelin
  kill -TERM "$tavelin_pid"
  wait_for "Tavelin to stop" 10 sh -c "! kill -0 $tavelin_pid"
  [[ $(tail -n 1 "$log") == *"── Tavelin stopped ──" ]] || fail "the log does not end with the stop line"
}

# The desktop entry Tavelin ships, installed for this user with its program on
# PATH, is this very copy; a different executable under that entry is another.
installed_copies() {
  write_config 17 6144 "true"
  local applications=$HOME/.local/share/applications
  mkdir -p "$applications" "$work/bin"
  cp "$(dirname "$0")/../app/data/org.tavelin.Tavelin.desktop" "$applications/"
  ln -s "$tavelin" "$work/bin/tavelin"
  PATH="$work/bin:$PATH" start_tavelin
  ! grep -q "Another copy" "$log" || fail "its own installation counted as another copy"
  kill -TERM "$tavelin_pid"
  wait_for "Tavelin to stop" 10 sh -c "! kill -0 $tavelin_pid"

  rm "$work/bin/tavelin" "$log"
  cp "$tavelin" "$work/bin/tavelin"
  PATH="$work/bin:$PATH" start_tavelin
  grep -qx ".*  info   Another copy is installed at $work/bin/tavelin" "$log" || fail "the other copy was not reported"
}

# Not a test: timings for the record, as medians of 20 under Xvfb.
measure() {
  write_config 17 6144 "true"
  local term; term=$(start_xterm termA 300)
  local before; before=$(date +%s%N)
  start_tavelin
  echo "start-up to the hot keys registered: $(( ($(date +%s%N) - before) / 1000000 )) ms (including the poll)"
  echo "resident memory after start-up: $(awk '/VmRSS/ {print $2, $3}' /proc/$tavelin_pid/status)"
  local shows=() moves=()
  for _ in $(seq 20); do
    activate "$term"
    xdotool windowmove --sync "$term" 300 200
    local t0; t0=$(date +%s%N)
    xdotool key alt+space
    wait_for "the typing window" 5 tavelin_window_shown
    shows+=($(( ($(date +%s%N) - t0) / 1000 )))
    xdotool type --delay 0 w
    t0=$(date +%s%N)
    xdotool type --delay 0 h
    moved() { read -r x _ _ _ < <(geometry "$term"); within "$x" 0 4; }
    wait_for "the move" 5 moved
    moves+=($(( ($(date +%s%N) - t0) / 1000 )))
  done
  median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
  echo "chord to typing window mapped: median $(median "${shows[@]}") µs"
  echo "last key of wh to the xterm's new geometry: median $(median "${moves[@]}") µs"
}

"$scenario"
echo "e2e $scenario: passed"
