#!/usr/bin/env bash
# The game's CPU share, in percent of one core, as a player's machine without a working GPU
# driver would see it: the game runs in a virtual X server (Xvfb, 1280 x 1024, so the window is
# scaled 2x), the share is read from /proc/PID/stat over SECONDS (default 5) on the idle title
# screen, then over the same time of level 1 play, entered through the menu as a player would.
# Then Escape pauses the game and the share is read once more. Prints "title T% level L% paused P%". Usage: scripts/cpu-share.sh [BIN_DIR] [SECONDS]
# Needs Xvfb and xdotool (Debian: apt-get install xvfb xdotool); not part of the test suite.
# On a loaded machine a starved game skips draws and looks cheaper than it is: when allowed (root),
# the game and the X server run at a raised priority (CPU_SHARE_NICE, default -10) so the figure
# is what the game asks for, not what it was left.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=$(cd "${1:-$top/${ZEST_BUILD_DIR:-build}/bin}" && pwd)
seconds=${2:-5}
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "cpu-share: $tool is missing (apt-get install xvfb xdotool)" >&2; exit 2; }
done
[ -x "$bin/tibble" ] || { echo "cpu-share: no game in $bin" >&2; exit 2; }

tmp=$(mktemp -d)
mkdir -m 700 "$tmp/run"
# A private settings folder: no saved progress, no saved window mode.
export XDG_RUNTIME_DIR=$tmp/run XDG_CONFIG_HOME=$tmp/cfg XDG_CACHE_HOME=$tmp/cache XDG_DATA_HOME=$tmp/data
display=""
for n in $(seq 120 199); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=:$n; break; }
done
[ -n "$display" ] || { echo "cpu-share: no free X display number" >&2; exit 2; }
export DISPLAY=$display
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
raise() { renice -n "${CPU_SHARE_NICE:--10}" -p "$1" >/dev/null 2>&1 || true; }
raise "$xvfb"
game=""
cleanup() {
    [ -n "$game" ] && kill "$game" 2>/dev/null && wait "$game" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

(cd "$bin" && SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} exec ./tibble) >"$tmp/log" 2>&1 &
game=$!
raise "$game"
hz=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$game/stat"; }
# Percent of one core over s seconds (an integer).
share() {
    local s=$1 t0 t1
    t0=$(ticks); sleep "$s"; t1=$(ticks)
    echo $(( (t1 - t0) * 100 / (s * hz) ))
}
alive() { kill -0 "$game" 2>/dev/null || { echo "cpu-share: the game ended; its log:" >&2; cat "$tmp/log" >&2; exit 1; }; }

# Loading keeps a core busy; the title screen is up once the game has calmed down (at most 60 s).
xdotool search --sync --onlyvisible --name "Tibble" >/dev/null 2>&1 || true
for _ in $(seq 60); do
    alive
    [ "$(share 1)" -lt 30 ] && break
done
sleep 1
title=$(share "$seconds")

# "Click here to continue" on the title, then Play in the menu (window coordinates at 2x: the
# 1280 x 960 picture is centred in the 1280 x 1024 screen).
alive
xdotool mousemove 640 932 click 1
sleep 2
xdotool mousemove 192 602 click 1
# The level fades in and its banner shows; then the play is measured.
sleep 3
alive
level=$(share "$seconds")
# Escape pauses: the pause dialog over the level should idle like the title screen.
xdotool key Escape
sleep 1
alive
paused=$(share "$seconds")
echo "title ${title}% level ${level}% paused ${paused}%"
