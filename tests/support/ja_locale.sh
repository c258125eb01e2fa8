# Shared by the shell tests of the programs' languages (after check.sh): makes the
# locale ja_JP.UTF-8 in $T for these tests alone, since the system need not have it, and
# gives `ja COMMAND...`, which runs COMMAND under it.
mkdir -p "$T/locale"
localedef -i ja_JP -f UTF-8 "$T/locale/ja_JP.UTF-8" 2> "$T/localedef.err" ||
  [ -e "$T/locale/ja_JP.UTF-8/LC_CTYPE" ] || { cat "$T/localedef.err"; exit 1; }
ja() { LC_ALL= LANG=ja_JP.UTF-8 LOCPATH="$T/locale" "$@"; }
