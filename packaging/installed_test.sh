#!/usr/bin/env bash
# The installed package, as a user meets it: the programs in /usr/bin answer, a search
# runs end to end, the Japanese catalogue is found where the package put it, man finds
# the pages and bash the completion. Usage: installed_test.sh (after installing the .deb)
set -u
source "$(dirname "$0")/../tests/support/check.sh"
source "$(dirname "$0")/../tests/support/ja_locale.sh"

check "varsik-grep --version" "varsik-grep $(dpkg-query -W -f='${Version}' varsik)" \
  "$(/usr/bin/varsik-grep --version)"
check "varsik --version" "varsik $(dpkg-query -W -f='${Version}' varsik)" \
  "$(env -u DISPLAY /usr/bin/varsik --version)"

mkdir -p "$T/tree/sub"
printf '%s\n' 'いろはにほへと' '日本語のテキスト' | iconv -f UTF-8 -t CP932 > "$T/tree/sub/a.txt"
out=$(/usr/bin/varsik-grep テキスト '*.txt' "$T/tree"); rc=$?
check "a search end to end" "0 #\"$T/tree/sub/a.txt\"
 :2: 日本語のテキスト" "$rc $out"
check "Japanese help from the installed catalogue" "使用法: varsik-grep [オプション]... WORD [MASKS [FOLDER]]" \
  "$(ja /usr/bin/varsik-grep --help | head -n 1)"

check "man finds varsik-grep(1)" "/usr/share/man/man1/varsik-grep.1.gz" "$(man -w varsik-grep)"
check "man finds varsik(1)" "/usr/share/man/man1/varsik.1.gz" "$(man -w varsik)"
check "man finds the Japanese varsik-grep(1)" "/usr/share/man/ja/man1/varsik-grep.1.gz" \
  "$(man -w -L ja varsik-grep)"
check "the completion is where bash looks" "complete -F _varsik_grep varsik-grep" \
  "$(bash -c 'source /usr/share/bash-completion/completions/varsik-grep; complete -p varsik-grep')"
for file in /usr/share/applications/varsik.desktop /usr/share/metainfo/varsik.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/varsik.svg /usr/share/icons/hicolor/48x48/apps/varsik.png; do
  check "$file installed" "$file" "$(ls "$file")"
done

finish
