#!/bin/sh
# Runs sheetcalc on one worksheet and compares its output, messages and exit
# code with the recorded ones.
set -u
tool=$1 case=$2
out=$(mktemp) err=$(mktemp)
"$tool" < "$case.in" > "$out" 2> "$err"
rc=$?
status=0
[ "$rc" -eq 0 ] || { echo "exit code $rc"; status=1; }
diff -u "$case.out" "$out" || status=1
diff -u "$case.err" "$err" || status=1
rm -f "$out" "$err"
exit $status
