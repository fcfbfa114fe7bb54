#!/bin/bash
# Measures the dialog's start under Wine. A benchmark, not a test: the figures depend on the
# machine and its load, which is printed beside them. Only x64 runs on kernels without 32-bit
# support. Each part is a function; the parts run one after the other.
# Usage: tools/bench_dialog.sh [x64|x86|both] [runs]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
ARCHS="${1:-x64}"
[ "$ARCHS" = both ] && ARCHS="x64 x86"
RUNS="${2:-5}"
"$ROOT/tools/wine-up.sh" >/dev/null
source "$ROOT/tools/wine-env.sh"
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
minimum() { sort -n | head -n 1; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

# The framework alone: from the start of the run to EVENT_DIALOG_SHOWN with every control
# number in use (sliders, buttons, lists, combo boxes, trackbars...), in fresh processes; the
# median of the whole start and of the part spent creating the controls in hook 0.
bench_framework_dialog() {
    local arch=$1 bin="$ROOT/build/$1/bin"
    if [ ! -x "$bin/dialog_windows.exe" ]; then
        echo "== $arch: $bin/dialog_windows.exe is missing (build first)"
        return
    fi
    local shown=() build=() line
    for run in $(seq "$RUNS"); do
        line=$(cd "$bin" && GREYLOOM_BIN_DIR="$bin" wine dialog_windows.exe \
            --gtest_filter='*FourHundredControls*' 2>/dev/null | grep -a 'EVENT_DIALOG_SHOWN' || true)
        [ -z "$line" ] && { echo "== $arch run $run: no figures (x86 needs 32-bit support)"; continue; }
        shown+=("$(sed -E 's/.*in use: ([0-9.]+) ms.*/\1/' <<<"$line")")
        build+=("$(sed -E 's/.*of them: ([0-9.]+) ms.*/\1/' <<<"$line")")
        echo "run $run: ${shown[-1]} ms to shown, ${build[-1]} ms creating controls"
    done
    [ ${#shown[@]} -eq 0 ] && return
    echo "== $arch framework, 399 controls: median of ${#shown[@]}:" \
        "$(printf '%s\n' "${shown[@]}" | median) ms to EVENT_DIALOG_SHOWN" \
        "(minimum $(printf '%s\n' "${shown[@]}" | minimum) ms)," \
        "$(printf '%s\n' "${build[@]}" | median) ms of it creating the controls (load: $(load))"
}

# One start of the shipped plug-in's dialog in the test host, timed by the plug-in itself
# (GREYLOOM_START_LOG): from the host's start call until the dialog is shown and then painted
# (the first moment nothing waits in its queue). With the answer "none" the host leaves the
# dialog open and it is ended once the log has its figures, so that no settings file changes;
# "cancel" closes it (and writes the settings files). Prints the log's lines.
effect_dialog_start_log() {
    local bin=$1 log=$2 answer=$3
    rm -f "$log"
    (cd "$bin" && GREYLOOM_START_LOG="$(winepath -w "$log" 2>/dev/null)" \
        exec wine GreyloomHost.exe --in "$ROOT/samples/coffee.png" --out "$log.png" \
        --dialog --dialog-answer "$answer" --answer no,no,no,no >/dev/null 2>&1) &
    local pid=$! waited=0
    if [ "$answer" = none ]; then
        while ! grep -qs '^moment .* \(painted\|closed before it was idle\)$' "$log"; do
            sleep 0.2
            waited=$((waited + 1))
            if [ $waited -gt 600 ] || ! kill -0 $pid 2>/dev/null; then break; fi
        done
        kill $pid 2>/dev/null || true
    fi
    wait $pid 2>/dev/null || true
    cat "$log" 2>/dev/null || true
}

# The shipped plug-in's dialog in a scratch copy of the Wine prefix (its settings files stay
# there): one first start, closed with Cancel (it makes the thumbnails of the built-in presets
# and writes the settings files), then $RUNS later starts from those files; the minimum and
# median of the later ones, and where the time of the last one went.
bench_effect_dialog_start() {
    local arch=$1 bin="$ROOT/build/$1/bin"
    if [ ! -x "$bin/GreyloomHost.exe" ]; then
        echo "== $arch: $bin/GreyloomHost.exe is missing (build first)"
        return
    fi
    local template="$WINEPREFIX" scratch log
    scratch="$(mktemp -d "$template-bench.XXXXXX")"
    log="$scratch/start.log"
    cp -al "$template/." "$scratch/"
    for file in "$template"/*.reg; do cp --remove-destination "$file" "$scratch/"; done
    # The plug-in's files would be rewritten through the links into the shared prefix: the
    # scratch prefix starts without them.
    rm -rf "$scratch/drive_c/users/"*/AppData/Roaming/Quillmoor
    (
        export WINEPREFIX="$scratch"
        trap 'wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true' EXIT
        wineserver -p >/dev/null 2>&1 </dev/null || true
        wineboot >/dev/null 2>&1 </dev/null
        local first shown=() painted=() lines
        first=$(effect_dialog_start_log "$bin" "$log" cancel | awk '/^moment .* shown$/ { print $2 }')
        echo "first start: ${first:-?} ms to shown (load: $(load))"
        for run in $(seq "$RUNS"); do
            lines=$(effect_dialog_start_log "$bin" "$log" none)
            shown+=("$(awk '/^moment .* shown$/ { print $2 }' <<<"$lines")")
            painted+=("$(awk '/^moment .* painted$/ { print $2 }' <<<"$lines")")
            echo "run $run: ${shown[-1]:-?} ms to shown, ${painted[-1]:-?} ms to painted (load: $(load))"
        done
        echo "where the time of the last start went:"
        grep '^section' <<<"$lines" | sort -t' ' -k2 -rn | head -n 25 | sed 's/^/    /'
        echo "== $arch effect dialog, later starts: median of ${#shown[@]}:" \
            "$(printf '%s\n' "${shown[@]}" | median) ms to shown," \
            "$(printf '%s\n' "${painted[@]}" | median) ms to painted" \
            "(minimum $(printf '%s\n' "${painted[@]}" | minimum) ms) (load: $(load))"
    )
    rm -rf "$scratch"
}

# The thumbnails of single categories at the Medium size (100 pixels) on the sample
# photograph, rendered on the effect's real controls in a window of the test program: per
# category the time of the thumbnails and the longest stretch in which the dialog took no
# input (from the run's start to its release of OK and Cancel); the median over the runs for
# "BW Film", the largest category.
bench_thumbnails() {
    local arch=$1 bin="$ROOT/build/$1/bin"
    if [ ! -x "$bin/preset_list_windows.exe" ]; then
        echo "== $arch: $bin/preset_list_windows.exe is missing (build first)"
        return
    fi
    local seconds=() blocked=() lines film
    for run in $(seq "$RUNS"); do
        lines=$(cd "$bin" && GREYLOOM_SOURCE_DIR="$ROOT" GREYLOOM_BIN_DIR="$bin" wine \
            preset_list_windows.exe --gtest_filter='*PicturesOfThumbnails*' 2>/dev/null |
            grep -a '^thumbnails:' || true)
        [ -z "$lines" ] && { echo "== $arch run $run: no figures"; continue; }
        echo "run $run (load: $(load)):"
        sed 's/^/    /' <<<"$lines"
        film=$(grep -a ' of category 3 ' <<<"$lines" | head -n 1)
        seconds+=("$(sed -E 's/.* in ([0-9.]+) s.*/\1/' <<<"$film")")
        blocked+=("$(sed -E 's/.* at most ([0-9.]+) ms.*/\1/' <<<"$film")")
    done
    [ ${#seconds[@]} -eq 0 ] && return
    echo "== $arch thumbnails of BW Film at 100 px: median of ${#seconds[@]}:" \
        "$(printf '%s\n' "${seconds[@]}" | median) s," \
        "input waited at most $(printf '%s\n' "${blocked[@]}" | median) ms (load: $(load))"
}

# A slider's page step on the sample photograph (a key to the exposure slider's own scroll bar
# in a maximised dialog) from the key's posting until the preview shows the new rendering,
# read from the display; $RUNS moves after the dialog stands, with the conversion and a curve
# alone and with the whole effect chain: per case the median beside the render's own time that
# the timing text gives, and the median of each part of the time by the plug-in's own moments
# (GREYLOOM_PREVIEW_LOG): input (key to the action's timer set), the wait for that timer, the
# rendering, the paint (of it the host's display routine) and the way to the screen.
bench_slider_to_preview() {
    local arch=$1 bin="$ROOT/build/$1/bin"
    if [ ! -x "$bin/preview_windows.exe" ]; then
        echo "== $arch: $bin/preview_windows.exe is missing (build first)"
        return
    fi
    local lines case picked
    lines=$(cd "$bin" && GREYLOOM_BIN_DIR="$bin" GREYLOOM_SOURCE_DIR="$ROOT" \
        GREYLOOM_LATENCY_ROUNDS="$RUNS" "$ROOT/tests/installer/run_in_scratch_prefix.sh" \
        ./preview_windows.exe --gtest_filter='PreviewLatency.*' 2>/dev/null |
        grep -a 'slider to painted preview' || true)
    [ -z "$lines" ] && { echo "== $arch: no figures (x86 needs 32-bit support)"; return; }
    sed 's/^/    /' <<<"$lines"
    local part parts
    for case in "conversion and curve" "full chain"; do
        picked=$(grep -a "($case;" <<<"$lines" || true)
        [ -z "$picked" ] && continue
        parts=""
        for part in "input" "timer wait" "render" "to paint" "paint" "display" "to screen"; do
            parts+="${parts:+, }$part $(sed -nE "s/.*[;,(] ?$part ([0-9.]+).*/\1/p" <<<"$picked" |
                median)"
        done
        echo "== $arch slider to painted preview, $case: median of $(wc -l <<<"$picked"):" \
            "$(sed -E 's/.*preview: ([0-9.]+) ms.*/\1/' <<<"$picked" | median) ms, the render" \
            "itself $(sed -E 's/.*render: ([0-9.]+) s.*/\1/' <<<"$picked" | median) s;" \
            "medians of the parts in ms: $parts (load: $(load))"
    done
}

for arch in $ARCHS; do
    [ -z "${SKIP_FRAMEWORK:-}" ] && bench_framework_dialog "$arch"
    [ -z "${SKIP_EFFECT_START:-}" ] && bench_effect_dialog_start "$arch"
    [ -z "${SKIP_THUMBNAILS:-}" ] && bench_thumbnails "$arch"
    [ -z "${SKIP_SLIDER:-}" ] && bench_slider_to_preview "$arch"
done
