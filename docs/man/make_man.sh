#!/usr/bin/env bash
# Writes one man page, compressed as Debian installs them: help2man reads the program's
# --help and --version in LOCALE (the program translates them itself) and adds the
# sections of the include files. Usage: make_man.sh OUTPUT.gz LOCALE PROGRAM INCLUDE...
# LOCPATH may name a folder with locales that the system lacks.
set -euo pipefail
out=$1
locale=$2
program=$3
shift 3
includes=()
for file in "$@"; do includes+=("--include=$file"); done

# Without the locale help2man would write every character past ASCII as "?".
if [ "$(LC_ALL=$locale locale charmap 2> /dev/null)" != UTF-8 ]; then
  echo "make_man.sh: the locale $locale is missing (LOCPATH=${LOCPATH:-})" >&2
  exit 1
fi
page=${out%.gz}
help2man --no-info --section=1 --locale="$locale" --source="Varsik ${VARSIK_VERSION:?}" \
  "${includes[@]}" --output="$page" "$program"
# Japanese has no blanks to break or stretch lines at: groff's rules for it are loaded
# whatever the reader's locale, and its lines are set flush left, not justified.
case $locale in
  ja*) sed -i '/^\.TH /a .mso ja.tmac\n.ds AD l\n.ad l' "$page" ;;
esac
gzip -9nf "$page"
