#!/bin/bash
# Fitwright run unattended where no display can be opened must say why and exit 1, since a
# setup program sees nothing else. Its own scratch prefix boots with a display that no X
# server serves. Usage: no_display_test.sh Fitwright.exe
set -uo pipefail
export GREYLOOM_DISPLAY=:9999
output="$("$(dirname "$0")/run_in_scratch_prefix.sh" "$1" DoUninstall Silent Product Greyloom 2>&1)"
status=$?
expected="Fitwright: cannot open its window"
if [ "$status" != 1 ] || [[ "$output" != *"$expected"* ]]; then
    echo "FAIL: exit code $status (1 expected), output without \"$expected\":"
    echo "$output"
    exit 1
fi
echo "no display: exit code 1 and \"$expected\""
