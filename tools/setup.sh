#!/bin/bash
# One command from a fresh Debian 12 machine: installs the toolchain and Wine, makes the
# Wine prefix, builds both architectures, then runs the main job (tools/demo.sh).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/tools/install-deps.sh"
"$ROOT/tools/build.sh"
"$ROOT/tools/wine-up.sh"
"$ROOT/tools/demo.sh" "$@"
