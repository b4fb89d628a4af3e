#!/usr/bin/env bash
# The Debian package, installed for real. From a configured and built tree:
# builds the package (cpack -G DEB), installs it with apt-get, runs kv4-export
# from the PATH on the installed demo farm and compares its CSV files with
# those of the build tree's kv4-export on a freshly written demo farm,
# validates the installed desktop entry and metainfo, then purges the package
# and whatever its installation pulled in and checks that the list of
# installed packages is again the one from before.
#
# Needs root or sudo for apt-get; without either it says so and skips. It also
# skips when the package is already on the machine, which it leaves alone.
# Usage: packaging/test-install.sh [BUILD_DIR]    (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
package=kv4-n-bedarf

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "Paketprüfung übersprungen: sie braucht root oder sudo (apt-get)."
    exit 0
  fi
  SUDO="sudo"
fi
if dpkg-query -W "$package" >/dev/null 2>&1; then
  echo "Paketprüfung übersprungen: $package ist schon installiert und bleibt unberührt."
  exit 0
fi

fail() {
  echo "Paketprüfung: $*" >&2
  exit 1
}

installed_packages() {
  dpkg-query -W -f='${binary:Package} ${Version} ${db:Status-Abbrev}\n' | sort
}

work="$(mktemp -d)"
chmod 755 "$work"  # apt reads the package as its own user
before="$work/packages-before"
installed_packages >"$before"

# Takes the package off again, with every package that came with it, and
# checks that the machine has the packages it had before.
restore() {
  local status=$?
  set +e
  if dpkg-query -W "$package" >/dev/null 2>&1; then
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "$package" >/dev/null
  fi
  local pulled
  pulled="$(comm -13 <(cut -d' ' -f1 "$before") <(installed_packages | cut -d' ' -f1))"
  if [ -n "$pulled" ]; then
    # shellcheck disable=SC2086
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq $pulled >/dev/null
  fi
  if ! diff -u "$before" <(installed_packages) >"$work/packages-diff"; then
    cat "$work/packages-diff" >&2
    echo "Paketprüfung: die Paketliste ist nicht mehr die von vorher." >&2
    status=1
  fi
  for path in /usr/bin/kv4-export /usr/bin/KV4_N_Bedarf /usr/share/$package; do
    if [ -e "$path" ]; then
      echo "Paketprüfung: $path ist nach dem Entfernen noch da." >&2
      status=1
    fi
  done
  rm -rf "$work"
  exit "$status"
}
trap restore EXIT

echo "== Debian-Paket: bauen, installieren, prüfen, entfernen =="
cmake --build "$build" -j "$(nproc)" --target KV4_N_Bedarf kv4-export make_demo_farm kv4_demo_farm >/dev/null
(cd "$build" && cpack -G DEB -B "$work/cpack" >/dev/null)
debs=("$work"/cpack/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then fail "cpack hat nicht genau ein .deb geschrieben."; fi
deb="$work/$(basename "${debs[0]}")"
mv "${debs[0]}" "$deb"
chmod 644 "$deb"
depends="$(dpkg-deb -f "$deb" Depends)"
# Qt's libraries come from dpkg-shlibdeps, the translations from our list.
for dependency in libqt6widgets6 qt6-translations-l10n; do
  [[ ",$depends," == *[\ ,]"$dependency"[\ ,\(]* ]] || fail "Depends ohne $dependency: $depends"
done

$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
echo "installiert: $(dpkg-query -W -f='${Package} ${Version}' "$package")"

for program in kv4-export KV4_N_Bedarf; do
  [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program ist nicht /usr/bin/$program."
  if ldd "/usr/bin/$program" | grep -q "not found"; then
    fail "$program findet nicht alle Bibliotheken: $(ldd "/usr/bin/$program" | grep "not found")"
  fi
done

# The window starts: its first act is the modal notice, so it is still up
# when the time runs out. Started in an empty folder, with no registry.
mkdir -m 700 "$work/window"
status=0
(cd "$work/window" && QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/window" KV4_REGISTRY=/nonexistent \
  timeout 5 KV4_N_Bedarf 2>"$work/window.err") || status=$?
[ "$status" -eq 124 ] || { cat "$work/window.err" >&2; fail "KV4_N_Bedarf endete beim Start mit Status $status."; }

# The shipped demo farm is make_demo_farm's output, byte for byte.
demo="/usr/share/$package/demo"
"$build/tools/make_demo_farm" "$work/fresh" >/dev/null
diff -r -x fruechte.txt "$work/fresh" "$demo" >/dev/null || fail "$demo ist nicht der Demo-Betrieb des Baus."

export_run() {  # PROGRAM FARM OUTDIR
  mkdir -p "$3"
  (cd "$3" && LANG=de_DE.UTF-8 LC_ALL='' LC_NUMERIC='' "$1" --data "$2/Daten" --nklassen "$2/NKlassen.dat" \
    --crops "$demo/fruechte.txt" --n-csv n.csv --p-csv p.csv --n-pdf n.pdf \
    --farm "Hof Sonnenwiese" --farm-no 276051234 --date 15.02.2018)
}
export_run kv4-export "$demo" "$work/installed" || fail "kv4-export endete mit Status $?."
export_run "$build/tools/kv4-export" "$work/fresh" "$work/built" || fail "kv4-export (Bau) endete mit Status $?."
for csv in n.csv p.csv; do
  cmp -s "$work/installed/$csv" "$work/built/$csv" || fail "$csv des Pakets weicht vom Bau ab."
done
heading=$'Schlag;Frucht;ha;BasisErtrag;;Ertragserwartung;N-Sollwert;Zu-/Abschlag;N-Min;Humus;org-Vorjahr;Vorfrucht;N-Bedarf;;;\r'
[ "$(head -n1 "$work/installed/n.csv")" = "$heading" ] || fail "n.csv: Kopfzeile $(head -n1 "$work/installed/n.csv")"
n_rows="$(wc -l <"$work/installed/n.csv")"
p_rows="$(wc -l <"$work/installed/p.csv")"
# Heading, one row per field of 2018, the empty trailing row.
if [ "$n_rows" -lt 3 ] || [ "$n_rows" -ne "$p_rows" ]; then fail "Zeilen: n.csv $n_rows, p.csv $p_rows"; fi
[ "$(head -c 5 "$work/installed/n.pdf")" = "%PDF-" ] || fail "n.pdf ist kein PDF."
echo "kv4-export aus dem Paket: $((n_rows - 2)) Schläge, CSV gleich dem Bau"

desktop="$(dpkg -L "$package" | grep '^/usr/share/applications/.*\.desktop$')"
metainfo="$(dpkg -L "$package" | grep '^/usr/share/metainfo/.*\.metainfo\.xml$')"
if [ "$(wc -l <<<"$desktop")" -ne 1 ] || [ "$(wc -l <<<"$metainfo")" -ne 1 ]; then
  fail "nicht genau ein Desktop-Eintrag und eine Metainfo-Datei: $desktop $metainfo"
fi
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" >"$work/appstream" || { cat "$work/appstream"; fail "appstreamcli validate $metainfo"; }
grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
  fail "$metainfo nennt nicht $(basename "$desktop")."
icon="$(sed -n 's/^Icon=//p' "$desktop")"
for file in "scalable/apps/$icon.svg" "48x48/apps/$icon.png" "256x256/apps/$icon.png"; do
  [ -f "/usr/share/icons/hicolor/$file" ] || fail "Symbol fehlt: /usr/share/icons/hicolor/$file"
done
[ -f /usr/share/man/man1/kv4-export.1 ] || fail "Handbuchseite fehlt."
if command -v man >/dev/null; then
  warnings="$(LANG=C.UTF-8 man --warnings -l /usr/share/man/man1/kv4-export.1 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "Handbuchseite: $warnings"
fi
[ -f "/usr/share/doc/$package/README.md" ] || fail "README fehlt."
[ -f "/usr/share/doc/$package/copyright" ] || fail "Copyright-Datei fehlt."
echo "Desktop-Eintrag, Metainfo, Symbole, Handbuchseite: in Ordnung"
