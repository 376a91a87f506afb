#!/usr/bin/env bash
# The installed tree, checked as a package would lay it out: installed under
# a temporary prefix, then moved, it holds every file, passes the desktop's
# validators, and the installed program runs from an unrelated folder and
# finds its data relative to itself.
#   check_install.sh CMAKE BUILD_DIR VERSION WORKED_EXAMPLE
set -euo pipefail
cmake="$1"
build="$2"
version="$3"
example="$4"

id=tr.com.kavrel.Kervio
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

prefix="$tmp/opt/kervio"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

# --- the files -------------------------------------------------------------
for f in bin/kervio \
         share/kervio/yardimvade share/kervio/yardimexl share/kervio/Kervio_Kullanim.pdf share/kervio/Ayarlar.ini \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/mime/packages/kervio.xml \
         share/man/man1/kervio.1.gz share/icons/hicolor/scalable/apps/$id.svg; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
[ -x "$prefix/bin/kervio" ] || fail "bin/kervio is not executable"
# each PNG is of its folder's size (width and height from the IHDR chunk)
for size in 16 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  if [ ! -f "$png" ]; then
    fail "no ${size}x${size} icon"
    continue
  fi
  read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$png")
  w=$(((w0 << 24) | (w1 << 16) | (w2 << 8) | w3))
  h=$(((h0 << 24) | (h1 << 16) | (h2 << 8) | h3))
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "the ${size}x${size} icon is ${w}x${h}"
done

# --- the validators --------------------------------------------------------
desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Exec=kervio %f' "$desktop" || fail "the desktop entry does not start kervio with the file"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry names another icon"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$tmp/appstream" 2>&1 \
  || { cat "$tmp/appstream" >&2; fail "appstreamcli validate"; }
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" \
  || fail "the metainfo's release is not $version"
MANWIDTH=80 man --warnings=all -l "$prefix/share/man/man1/kervio.1.gz" >"$tmp/man" 2>"$tmp/man.err" \
  || fail "man could not show the manual page"
[ ! -s "$tmp/man.err" ] || { cat "$tmp/man.err" >&2; fail "the manual page has warnings"; }
grep -q -- "--recalculate" "$tmp/man" || fail "the manual page lacks the command line"
# the ledger type: the database built from it maps *.krv to the type the
# desktop entry opens (update-mime-database reports a malformed file on its
# output and still exits with 0)
XDG_DATA_DIRS="$prefix/share" update-mime-database "$prefix/share/mime" >"$tmp/mime" 2>&1 || fail "update-mime-database"
[ ! -s "$tmp/mime" ] || { cat "$tmp/mime" >&2; fail "update-mime-database complained"; }
mimetype="$(sed -n 's/^MimeType=\([^;]*\);$/\1/p' "$desktop")"
grep -q ":$mimetype:\*\.krv" "$prefix/share/mime/globs2" || fail "*.krv is not $mimetype"

# --- the installed program, moved elsewhere, run from an unrelated folder --
mv "$prefix" "$tmp/moved"
prefix="$tmp/moved"
mkdir -p "$tmp/elsewhere" "$tmp/home"
cd "$tmp/elsewhere"
run() {
  env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME -u XDG_DATA_HOME -u DISPLAY HOME="$tmp/home" "$prefix/bin/kervio" "$@"
}

[ "$(run --version)" = "Kavrel Kervio $version Güncelleme:0" ] || fail "--version: $(run --version)"

cp "$example" ornek.krv
cat >expected <<'EOF'
borctoplamEdit=10.000,00
alacaktoplamtutarEdit=6.500,00
bakiyetutarEdit=3.500,00
borckervioEdit=401,10
alacakkervioEdit=11,51
netkervioEdit=389,59
genelortgunEdit=-169
borcortgunEdit=-61
alacakortEdit=-3
DateTimePicker4=15.07.2024
DateTimePicker76=31.10.2024
DateTimePicker3=28.12.2024
yillikfaizneolurEdit=338,8594
aylikfaizneolurEdit=28,2382833333333
EOF
LANG=tr_TR.UTF-8 run --recalculate ornek.krv >recalculated 2>errors || fail "--recalculate failed"
diff expected recalculated >&2 || fail "--recalculate printed another summary"
[ ! -s errors ] || { cat errors >&2; fail "--recalculate wrote to standard error"; }

run --locations >locations
cat >expected <<EOF
tasinabilir=hayır
program=$prefix/bin/
veri=$prefix/share/kervio/
ayarlar=$tmp/home/.config/kervio/Ayarlar.ini
ilk_ayarlar=$prefix/share/kervio/Ayarlar.ini
kayitlar=$tmp/home/Documents/Kervio
yardimvade=$prefix/share/kervio/yardimvade
yardimexl=$prefix/share/kervio/yardimexl
kilavuz=$prefix/share/kervio/Kervio_Kullanim.pdf
guncelleme=hayır
EOF
diff expected locations >&2 || fail "--locations"
[ ! -e "$tmp/home/.config" ] || fail "the program wrote settings without being asked"

if [ "$failures" -gt 0 ]; then
  echo "$failures checks failed" >&2
  exit 1
fi
echo "the installed tree is complete and works"
