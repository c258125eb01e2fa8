# The benchmark cases, sourced by compare.sh and check_threads.sh.
# name | target | varsik options | word (UTF-8) | grep options | rg options
CASE_LIST=(
  "frequent|big|-s|文字列|-F|-F"
  "rare|big|-s|日本語|-F|-F"
  "ascii-i|big||option|-F -i|-F -i"
  "word|big|-w|option|-F -i -w|-F -i -w"
  "class|big|-E|[0-9]+年|-E|"
  "alternation|big|-E|警告\|圧縮\|暗号|-E|"
  "re-frequent|big|-E|文字列|-E|"
  "re-rare|big|-E|日本語|-E|"
  "tree|tree|-s|環境変数|-F -r|-F"
  "re-tree|tree|-E|環境変数|-E -r|"
)

# Splits case $1 into name, target, vopt, word, gopt and ropt.
read_case() {
  # An escaped "|" inside a word is not a field separator.
  local c=${1//\\|/$'\x1f'}
  IFS='|' read -r name target vopt word gopt ropt <<<"$c"
  word=${word//$'\x1f'/|}
}
