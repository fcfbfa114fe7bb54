# Sourced by the project's scripts: the Wine prefix, display and paths every run shares.
# The prefix lives inside the build tree, never in the user's ~/.wine.
GREYLOOM_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export GREYLOOM_ROOT
export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$GREYLOOM_ROOT/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko install prompts when the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY="${GREYLOOM_DISPLAY:-:77}"
