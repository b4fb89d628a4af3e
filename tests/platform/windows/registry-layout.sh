#!/bin/sh
# Writes the registry layout that test_registry_win reads into a throwaway
# Wine prefix, with Wine's own reg.exe. Never run it against a real user's
# registry: it rewrites HKCU\Software\KV4Test.
# Usage: registry-layout.sh <wine> <prefix>
set -eu
wine="$1"
WINEPREFIX="$2"
export WINEPREFIX
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# Wine converts the arguments from the Unix locale: the umlauts below are UTF-8.
export LC_ALL=C.UTF-8

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout 300 wineboot -i >/dev/null 2>&1
fi

base='HKCU\Software\KV4Test'
reg() { "$wine" reg "$@" >/dev/null; }
add() { reg add "$@" /f; }

"$wine" reg delete "$base" /f >/dev/null 2>&1 || true

# Two matches in different branches, written in reverse: the registry lists
# subkeys by name, so Beta comes later in the walk and wins.
add "$base"'\Verzweigt\Beta\Agrar\Kornavis.INI\Setup' /v Daten /t REG_SZ /d 'D:\Agrar\Daten'
add "$base"'\Verzweigt\Alpha\Kornavis.INI\Setup' /v Daten /t REG_SZ /d 'C:\Alt'

# A match whose own subkey matches too: the key itself is tested last.
add "$base"'\Verschachtelt\Kornavis.INI\Setup' /v Daten /t REG_SZ /d 'C:\Oben'
add "$base"'\Verschachtelt\Kornavis.INI\Setup\Unter' /v Daten /t REG_SZ /d 'C:\Unten'

# Value types: a number, an expandable string, no value, umlauts, a drive root.
add "$base"'\Zahl\Kornavis.INI\Setup' /v Daten /t REG_DWORD /d 42
add "$base"'\Erweiterbar\Kornavis.INI\Setup' /v Daten /t REG_EXPAND_SZ /d '%SystemDrive%\Agrar'
add "$base"'\OhneWert\Kornavis.INI\Setup' /v Anderes /t REG_SZ /d 'C:\Anderes'
add "$base"'\Umlaute\Kornavis.INI\Setup' /v Daten /t REG_SZ /d 'C:\Höfe\Äcker'
add "$base"'\Wurzel\Kornavis.INI\Setup' /v Daten /t REG_SZ /d 'C:\'

# Letter case and surroundings of the search text.
add "$base"'\Schreibweise\kornavis.ini\setup' /v Daten /t REG_SZ /d 'C:\Klein'
add "$base"'\Umgeben\MeinKornavis.INI\Setup2' /v Daten /t REG_SZ /d 'C:\Umgeben'

# Last in the walk of the whole tree: the winner of a search from the root.
add "$base"'\Zuletzt\Kornavis.INI\Setup' /v Daten /t REG_SZ /d 'E:\Kornavis\Daten'
