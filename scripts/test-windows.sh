#!/usr/bin/env bash
# Cross-builds the tests for Windows and runs every test program under Wine, as the Linux
# suite runs them (each its own temporary program folder and settings, the fixed clock), on
# Qt's windows platform on an X server of this script's own, in a Wine prefix of this run's
# own: the tests write the registry. Ends with the line "windows: N passed, M failed" and
# fails when a test does. Needs the cross build cache that scripts/windows.sh makes; without
# it, it says so and passes. Options are CTest's: scripts/test-windows.sh -R test_jet.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
source scripts/cross-cache.sh

if ! cross_complete; then
    echo "windows: skipped (no cross build cache on this machine; run scripts/windows.sh)"
    exit 0
fi
install_packages "${cross_packages[@]}"
build=build-windows-tests
cross_configure "$build" -DTARVIK_TESTS=ON -DTARVIK_BENCH=OFF
cmake --build "$build" -j"$cross_jobs"

run=$(mktemp -d)
xvfb=""
finish() {
    wineserver -k 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true  # openbox ends with its server
    rm -rf "$run"
}
trap finish EXIT
cp -a "$WINEPREFIX" "$run/wine"
export WINEPREFIX="$run/wine"
display=70
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display"
# A window manager, as on every desktop: without one, Wine's windows wait seconds for the
# activation they ask for. It is there once it names itself on the root window.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1 && break
    sleep 0.1
done
openbox >/dev/null 2>&1 &
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
# One Wine server for the whole run, instead of one started and stopped per test program,
# and Wine's own services started now: started by the first test, they would hold its
# output open, and CTest would wait for them to the time limit.
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null || true

status=0
(cd "$build" && ctest --output-on-failure --timeout 600 "$@") | tee "$run/ctest.log" || status=$?
# Every skip with its reason: test programs the platform cannot run, then single cases.
echo "Skipped under Wine:"
awk '/^[0-9]+\/[0-9]+ Test: / { name = $3 } /^skipped: / { print "  " name ": " $0 }
     /^SKIP / { sub(/^SKIP +: /, "  "); print }' "$build/Testing/Temporary/LastTest.log"
summary=$(grep -E '^[0-9]+% tests passed' "$run/ctest.log" || true)
failed=$(echo "$summary" | sed -n 's/.* \([0-9]*\) tests failed out of \([0-9]*\).*/\1/p')
total=$(echo "$summary" | sed -n 's/.* tests failed out of \([0-9]*\).*/\1/p')
skipped=$(grep -c '\*\*\*Skipped' "$run/ctest.log" || true)
echo "windows: $((${total:-0} - ${failed:-0} - skipped)) passed, ${failed:-unknown} failed"
[ "$status" -eq 0 ] && [ "${failed:-1}" -eq 0 ]
