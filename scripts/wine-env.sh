# Sourced by the Wine scripts: a private 32-bit Wine prefix under build/wine.
# Sets WINEPREFIX and friends and offers make_prefix, which creates the
# prefix from a template (made once, needs a display) with the fonts and
# registry settings Debian's Wine lacks, and with_timeout, which every Wine
# call of the scripts goes through (only run-spulwerk's start for the user is
# left without a limit).
ROOT=$(cd "$(dirname "$0")/.." && pwd)

# The Windows programs are 32-bit, and so is the Wine that runs them. Where
# the 32-bit Wine cannot run (its packages were not installable, or the kernel,
# as in some virtual machines, cannot start 32-bit programs at all), the same
# sources are built for 64-bit Windows (build/win64) and run under 64-bit
# Wine, and the scripts say why in WINE_ROAD. WINE_BITS=32 or 64 chooses.
# A script started by another that sourced this file (with-xvfb, then
# run-spulwerk) keeps the reason found there.
if [ -n "${WINE_BITS:-}" ]; then
    if [ "$WINE_BITS" = 32 ]; then WINE_ROAD=""; else WINE_ROAD="${WINE_ROAD:-WINE_BITS=$WINE_BITS asked for}"; fi
elif /usr/lib/wine/wine --version >/dev/null 2>&1 || [ ! -x /usr/lib/wine/wine64 ]; then
    WINE_BITS=32 WINE_ROAD=""
else
    WINE_BITS=64 WINE_ROAD=""
    # scripts/install-deps keeps apt's reason where the 32-bit packages failed.
    if [ -s "$ROOT/build/wine-road" ]; then
        WINE_ROAD=$(cat "$ROOT/build/wine-road")
    elif [ -e /usr/lib/wine/wine ]; then
        WINE_ROAD="This kernel cannot run 32-bit programs"
    else
        WINE_ROAD="The 32-bit Wine is not installed (make deps installs it)"
    fi
fi
if [ "$WINE_BITS" = 64 ]; then
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
    WINE="$WINELOADER" WINESERVER_CMD="$WINESERVER"
    WINE_DIR="$ROOT/build/wine64" WIN_BUILD="$ROOT/build/win64"
else
    export WINEARCH=win32
    WINE=wine WINESERVER_CMD=wineserver
    WINE_DIR="$ROOT/build/wine" WIN_BUILD="$ROOT/build/win"
fi
export WINE_BITS WINE_ROAD WINE WINESERVER_CMD WINE_DIR WIN_BUILD
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    export LANG=de_DE.UTF-8
else
    export LANG=C.UTF-8
fi
unset LC_ALL
# Wine's PulseAudio driver keeps only three periods (30 ms) of a program's
# sound in the sound server, whatever buffer the program asks for; when Wine's
# timer thread is late on a busy machine, the server plays silence into the
# middle of the signal and the BV7 reports a load error. 200 ms in the server
# ride out such a delay. Recordings then come to Wine in pieces of 200 ms,
# which the exchange dialog's sixteen capture blocks (743 ms) take whole.
# README, "Playing to the BV7 under Wine", has the figures. A value the user
# set stays; an empty one leaves the driver its own.
export PULSE_LATENCY_MSEC="${PULSE_LATENCY_MSEC-200}"

# with_timeout SECONDS WHAT LOG CMD...: runs CMD with stdin from /dev/null and
# its output in LOG (Wine's background processes keep inherited pipes open).
# After SECONDS it is ended (its process group: TERM, 10 s later KILL) and the
# line "WHAT: no end after SECONDS s" goes to stderr and LOG. Returns CMD's status,
# 124 or 137 when the limit struck.
with_timeout() {
    timeout_limit=$1 timeout_what=$2 timeout_log=$3
    shift 3
    timeout_status=0
    timeout -k 10 "$timeout_limit" "$@" >"$timeout_log" 2>&1 </dev/null || timeout_status=$?
    if [ "$timeout_status" -eq 124 ] || [ "$timeout_status" -eq 137 ]; then
        echo "$timeout_what: no end after $timeout_limit s" >&2
        [ "$timeout_log" = /dev/null ] || echo "$timeout_what: no end after $timeout_limit s" >>"$timeout_log"
    fi
    return "$timeout_status"
}

# make_prefix DIR: a ready prefix in DIR (copied from the template).
make_prefix() {
    template="$WINE_DIR/template"
    if [ ! -f "$template/.ready" ]; then
        rm -rf "$template"
        mkdir -p "$template"
        # From here until .ready the template's wineserver is this run's own.
        TEMPLATE_SERVER="$template"
        WINEPREFIX="$template" with_timeout 120 "wineboot -i" "$WINE_DIR/wineboot.log" "$WINE" wineboot -i &&
            WINEPREFIX="$template" with_timeout 60 "wineserver -w (after wineboot)" /dev/null "$WINESERVER_CMD" -w ||
            { end_template_server; return 1; }
        cp /usr/share/wine/fonts/* "$template/drive_c/windows/Fonts/" 2>/dev/null || true
        cat >"$WINE_DIR/settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Courier New"="Liberation Mono"
"Arial"="Liberation Sans"
"COURIER New"="Liberation Mono"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"CursorBlinkRate"="-1"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
        WINEPREFIX="$template" with_timeout 60 "regedit" "$WINE_DIR/regedit.log" "$WINE" regedit /S "$WINE_DIR/settings.reg" &&
            WINEPREFIX="$template" with_timeout 60 "wineserver -w (after regedit)" /dev/null "$WINESERVER_CMD" -w ||
            { end_template_server; return 1; }
        touch "$template/.ready"
        TEMPLATE_SERVER=""
    fi
    rm -rf "$1"
    cp -a "$template" "$1"
}

# end_template_server: ends the template's wineserver (and its processes) if
# this run started it and it is still there.
TEMPLATE_SERVER=""
end_template_server() {
    if [ -n "$TEMPLATE_SERVER" ]; then
        WINEPREFIX="$TEMPLATE_SERVER" with_timeout 30 "wineserver -k (template)" /dev/null "$WINESERVER_CMD" -k || true
        TEMPLATE_SERVER=""
    fi
}
