#!/usr/bin/env bash
# Every message that the sources hand to the catalogue has its Japanese in po/ja.po,
# neither missing, fuzzy nor empty: otherwise the Japanese help and messages would fall
# back to English line by line. Usage: translations_test.sh JA.PO VARSIK.POT
set -u
PO=$1
POT=$2
source "$(dirname "$0")/../support/check.sh"

msgcmp "$PO" "$POT" > "$T/msgcmp" 2>&1; rc=$?
check "each message is in ja.po (else run the update-po target)" "0:" "$rc:$(cat "$T/msgcmp")"
check "no fuzzy entries" "" "$(msgattrib --only-fuzzy --no-obsolete "$PO")"
check "no untranslated entries" "" "$(msgattrib --untranslated --no-obsolete "$PO")"
msgfmt --check -o /dev/null "$PO" 2> "$T/msgfmt"; rc=$?
check "ja.po compiles and its formats fit" "0:" "$rc:$(cat "$T/msgfmt")"

finish
