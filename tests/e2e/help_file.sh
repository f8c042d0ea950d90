#!/usr/bin/env bash
# The compiled help file, read with a CHM reader we did not write
# (libchm's enum_chmLib / extract_chmLib): every topic of data/help is inside
# by name with its exact bytes, with the contents tree, the index, the window
# definition that titles the viewer, and the keyword index built from it.
set -euo pipefail
: "${BUILD_DIR:?}" "${SOURCE_DIR:?}"
chm="$BUILD_DIR/app/Tovira/Tovira.chm"
help="$SOURCE_DIR/data/help"
[ -f "$chm" ] || { echo "missing $chm" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

enum_chmLib "$chm" >"$work/list" || fail "enum_chmLib cannot read the file"
has() { grep -qE "[[:space:]]$1\$" "$work/list"; }
for special in '/#SYSTEM' '/#WINDOWS' '/#TOPICS' '/#URLSTR' '/\$WWKeywordLinks/BTree' '/toc.hhc' '/index.hhk'; do
  has "$special" || fail "no $special inside"
done

extract_chmLib "$chm" "$work/out" >/dev/null || fail "extract_chmLib cannot unpack the file"
topics=0
while read -r file; do
  [ -n "$file" ] || continue
  topics=$((topics + 1))
  has "/$file" || { fail "topic $file is not inside"; continue; }
  cmp -s "$help/$file" "$work/out/$file" || fail "topic $file differs from its source"
done < <(sed -n '/^\[FILES\]/,/^\[/p' "$help/Tovira.hhp" | grep -v '^\[' | tr -d '\r')
[ "$topics" -ge 7 ] || fail "only $topics files listed in the project"

# Every topic that the contents tree and the index name is in the file.
for ref in $(grep -ho 'name="Local" value="[^"]*"' "$help/toc.hhc" "$help/index.hhk" | cut -d'"' -f4 | sort -u); do
  has "/$ref" || fail "the contents or index name $ref, which is not inside"
done

# The viewer's title comes from the window definition.
grep -q 'Tovira Help' "$work/out/#WINDOWS" 2>/dev/null || grep -aq 'Tovira Help' "$work/out/#STRINGS" 2>/dev/null ||
  fail "the window title 'Tovira Help' is not in the file"
for topic in "What Tovira does" "First steps" "Options" "Supported mail clients" "Troubleshooting"; do
  grep -q "<title>$topic</title>" "$work/out/"*.html || fail "no topic titled '$topic'"
done

[ "$failures" = 0 ] && echo "help file: $topics topics ok"
exit "$failures"
