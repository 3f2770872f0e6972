# Sourced by the Wine scripts: a private 32-bit Wine prefix under build/wine.
# Sets WINEPREFIX and friends and offers make_prefix, which creates the
# prefix from a template (made once, needs a display) with the fonts and
# registry settings Debian's Wine lacks.
ROOT=$(cd "$(dirname "$0")/.." && pwd)
WINE_DIR="$ROOT/build/wine"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    export LANG=de_DE.UTF-8
else
    export LANG=C.UTF-8
fi
unset LC_ALL

# make_prefix DIR: a ready prefix in DIR (copied from the template).
make_prefix() {
    template="$WINE_DIR/template"
    if [ ! -f "$template/.ready" ]; then
        rm -rf "$template"
        mkdir -p "$template"
        WINEPREFIX="$template" wineboot -i >"$WINE_DIR/wineboot.log" 2>&1
        WINEPREFIX="$template" wineserver -w
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
        WINEPREFIX="$template" wine regedit /S "$WINE_DIR/settings.reg" >/dev/null 2>&1
        WINEPREFIX="$template" wineserver -w
        touch "$template/.ready"
    fi
    rm -rf "$1"
    cp -a "$template" "$1"
}
