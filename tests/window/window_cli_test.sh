#!/usr/bin/env bash
# The window program's command line: --help and --version answer without a display, in
# the user's language; a mistake is refused before any window shows. Usage:
# window_cli_test.sh PATH-TO-VARSIK
set -u
VARSIK=$1
source "$(dirname "$0")/../support/check.sh"
source "$(dirname "$0")/../support/ja_locale.sh"

# No display at all: the toolkit would end the program if it were asked for one.
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$@"; }

out=$(nodisplay "$VARSIK" --help); rc=$?
check "--help without a display" "0 Usage: varsik [OPTION]... [FOLDER]" "$rc $(head -n 1 <<< "$out")"
check "--help names its options" "  -V, --version   show the version and exit" \
  "$(grep -e '--version' <<< "$out")"
out=$(nodisplay "$VARSIK" -V); rc=$?
check "--version without a display" "0 varsik 1.1.1.6" "$rc $out"
out=$(ja nodisplay "$VARSIK" --help); rc=$?
check "Japanese --help" "0 使用法: varsik [オプション]... [FOLDER]" "$rc $(head -n 1 <<< "$out")"
check "Japanese --help: an option" "  -h, --help      このヘルプを表示して終了する" \
  "$(grep -e '--help' <<< "$out")"

out=$(QT_QPA_PLATFORM=offscreen timeout 60 "$VARSIK" --bogus 2>&1 > /dev/null); rc=$?
check "unknown option" "2 varsik: unknown option '--bogus'" "$rc $(grep '^varsik:' <<< "$out")"
out=$(QT_QPA_PLATFORM=offscreen timeout 60 "$VARSIK" "$T" "$T" 2>&1 > /dev/null); rc=$?
check "two folders" "2 varsik: only one FOLDER can be given, not also '$T'" \
  "$rc $(grep '^varsik:' <<< "$out")"
# Qt's own options are Qt's: they are no mistake, and what follows them is no folder.
out=$(timeout 60 "$VARSIK" -platform offscreen --bogus 2>&1 > /dev/null); rc=$?
check "Qt's options are taken out first" "2 varsik: unknown option '--bogus'" \
  "$rc $(grep '^varsik:' <<< "$out")"

finish
