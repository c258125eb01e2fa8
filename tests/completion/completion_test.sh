#!/usr/bin/env bash
# The bash completion of varsik-grep: it is registered for the command, offers the
# options that the program's --help lists (a program with more options gets them
# offered), the values of the options that take one of a fixed set, and folders.
# Usage: completion_test.sh COMPLETION-SCRIPT PATH-TO-VARSIK-GREP
set -u
SCRIPT=$(realpath "$1")
VG=$(realpath "$2")
source "$(dirname "$0")/../support/check.sh"

# What bash offers for the words given, the last being the one completed (bash splits a
# word at "=" before the completion sees it): the completion function that `complete
# -p` names is called as bash calls it, and its answers printed sorted, one a line.
offered() {
  bash --norc --noprofile -c '
    source "$1"
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    spec=$(complete -p varsik-grep)
    function=${spec#*-F }
    function=${function%% *}
    "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}" | sort' bash "$SCRIPT" "$@"
}

check "registered for varsik-grep" "complete -F _varsik_grep varsik-grep" \
  "$(bash --norc --noprofile -c 'source "$1"; complete -p varsik-grep' bash "$SCRIPT")"

# The options, as --help lists them.
check "long option" "--regex" "$(offered "$VG" --re)"
check "an option that takes a value is offered up to its =" "--output-encoding=" \
  "$(offered "$VG" --output)"
all=$(offered "$VG" -)
for option in -s --case-sensitive --fuzzy -E -w --no-subfolders --file-names -Z --null \
  --max-line-bytes= --stats -h --help -V --version; do
  check "'-' offers $option" "$option" "$(grep -x -e "$option" <<< "$all")"
done
check "'-' offers no operand" "" "$(grep -v '^-' <<< "$all")"
# Every option that --help lists (from the lines that begin with one), with or without
# its "=".
for option in $(LC_ALL=C "$VG" --help | grep -e '^ *-' | grep -o -e ' --\?[a-zA-Z][-a-zA-Z]*'); do
  check "--help's $option is offered" "$option" \
    "$(offered "$VG" "$option" | grep -x -e "$option" -e "$option=" | sed 's/=$//' | sort -u)"
done

# The program as typed: from the home folder too.
mkdir -p "$T/home/bin"
cp "$VG" "$T/home/bin/varsik-grep"
check "a program named from ~" "--regex" "$(HOME=$T/home offered '~/bin/varsik-grep' --re)"

# The values.
check "--encoding= values" "auto
cp932
euc-jp
iso-2022-jp
utf-16be
utf-16le
utf-8" "$(offered "$VG" --encoding = '')"
check "--encoding= values begun" "utf-16be
utf-16le" "$(offered "$VG" --encoding = utf-1)"
check "--output-encoding= values" "cp932
utf-8" "$(offered "$VG" --output-encoding = '')"
check "with = not a word break" "--output-encoding=cp932" "$(offered "$VG" --output-encoding=c)"
check "--color= values" "always
auto
never" "$(offered "$VG" --color = '')"

# Folders for the operands, names with blanks too.
mkdir -p "$T/src" "$T/src two" "$T/other"
touch "$T/srcfile"
check "folders" "src
src two" "$(cd "$T" && offered "$VG" 語 '*.c' sr)"
check "folders after options" "$T/other" "$(offered "$VG" -E x '*.c' "$T/oth")"

# A program whose --help lists more options has them offered: what is added to --help
# needs nothing more in the completion.
cat > "$T/varsik-grep" << 'HELP'
#!/bin/sh
cat << 'TEXT'
Usage: varsik-grep [OPTION]... WORD [MASKS [FOLDER]]

Options:
  -E, --regex                WORD is a regular expression
      --gitignore            leave out the files and folders that git ignores
  -j N, --threads=N          search with N threads
TEXT
HELP
chmod +x "$T/varsik-grep"
check "a new option" "--gitignore" "$(offered "$T/varsik-grep" --git)"
check "a new option with a value" "--threads=" "$(offered "$T/varsik-grep" --thr)"
check "nothing for the value of -j" "" "$(cd "$T" && offered "$T/varsik-grep" -j '')"
check "the short option" "-j" "$(offered "$T/varsik-grep" -j)"

finish
