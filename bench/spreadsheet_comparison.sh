#!/usr/bin/env bash
# The command line against a spreadsheet program doing the same work on the
# same generated ledger: load it, compute every entry's days, interest number
# and term difference, the totals and average days, and save the result.
#   bench/spreadsheet_comparison.sh [BUILD_DIR] [ENTRIES]
# Runs the spreadsheet side only when LibreOffice (soffice) is installed; it
# is no dependency of the program or its tests.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
ENTRIES="${2:-100000}"
KERVIO="$BUILD/src/kervio"
GENERATE="$BUILD/bench/bench_core"
for exe in "$KERVIO" "$GENERATE"; do
  [[ -x "$exe" ]] || { echo "not built: $exe" >&2; exit 1; }
done

WORK="$(mktemp -d)"
# KERVIO_BENCH_KEEP=1 keeps the generated files for a closer look
[[ -n "${KERVIO_BENCH_KEEP:-}" ]] || trap 'rm -rf "$WORK"' EXIT
LEDGER="$WORK/ledger.krv"
"$GENERATE" --generate "$ENTRIES" "$LEDGER"

# Wall seconds and peak memory (MiB) of a command, its output discarded.
measure() {
  local out="$WORK/time.txt"
  /usr/bin/time -f '%e %M' -o "$out" "$@" >/dev/null 2>&1
  awk '{ printf "%.2f s, %.0f MiB", $1, $2 / 1024 }' "$out"
}
seconds() { awk '{ print $1 }' "$WORK/time.txt"; }

kervio_figures="$(measure "$KERVIO" --recalculate "$LEDGER" --output "$WORK/out.krv")"
kervio_seconds="$(seconds)"
echo "kervio --recalculate --output, $ENTRIES entries: $kervio_figures"

if ! command -v soffice >/dev/null; then
  echo "LibreOffice (soffice) not installed: no comparison"
  exit 0
fi

# The same ledger as a flat OpenDocument sheet whose formulas do the work.
python3 - "$LEDGER" "$WORK/ledger.fods" <<'PYTHON'
import sys
from datetime import date
from xml.sax.saxutils import escape

src, dst = sys.argv[1], sys.argv[2]

def items(line):
    out, i, n = [], 0, len(line)
    while i <= n:
        if i < n and line[i] == '"':
            j, text = i + 1, []
            while j < n:
                if line[j] == '"' and j + 1 < n and line[j + 1] == '"':
                    text.append('"'); j += 2
                elif line[j] == '"':
                    j += 1; break
                else:
                    text.append(line[j]); j += 1
            out.append(''.join(text)); i = j + 1
        else:
            j = line.find(',', i)
            j = n if j < 0 else j
            out.append(line[i:j]); i = j + 1
    return out

def day(text):
    d, m, y = text.split('.')
    return date(int(y), int(m), int(d)).isoformat()

def amount(text):
    return text.replace('.', '').replace(',', '.') if text else ''

lines = open(src, encoding='cp1254', newline='').read().split('\r\n')
params = items(lines[0])
year_days, rate, calc = params[0], params[1], day(params[9])
cells = []
for line in lines[2:]:
    row = items(line)
    if len(row) < 6 or not row[1] or not row[2]:
        continue
    cells.append((row[0], day(row[1]), day(row[2]), row[3], amount(row[4]), amount(row[5])))

def text_cell(t):
    return '<table:table-cell office:value-type="string"><text:p>%s</text:p></table:table-cell>' % escape(t)

def value_cell(v, kind='float'):
    if not v:
        return '<table:table-cell/>'
    if kind == 'date':
        return '<table:table-cell office:value-type="date" office:date-value="%s"/>' % v
    return '<table:table-cell office:value-type="float" office:value="%s"/>' % v

def formula(f):
    return '<table:table-cell table:formula="of:=%s"/>' % escape(f, {'"': '&quot;'})

out = open(dst, 'w', encoding='utf-8')
out.write('<?xml version="1.0" encoding="UTF-8"?>\n<office:document '
          'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
          'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
          'xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" '
          'office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">'
          '<office:body><office:spreadsheet><table:table table:name="Cari">')
# row 1: parameters (days in a year, yearly rate, calculation date)
out.write('<table:table-row>%s%s%s</table:table-row>' % (value_cell(year_days), value_cell(rate), value_cell(calc, 'date')))
first = 2
for k, (no, tx, due, desc, debit, credit) in enumerate(cells):
    r = first + k
    days = '[.C%d]-[.$C$1]' % r
    out.write('<table:table-row>' + value_cell(no) + value_cell(tx, 'date') + value_cell(due, 'date')
              + text_cell(desc) + value_cell(debit) + value_cell(credit)
              + formula(days)
              + formula('IF([.E%d]>0;ROUND(-[.$B$1]*[.E%d]*[.G%d]/([.$A$1]*100);2);"")' % (r, r, r))
              + formula('IF([.F%d]>0;ROUND(-[.$B$1]*[.F%d]*[.G%d]/([.$A$1]*100);2);"")' % (r, r, r))
              + formula('IF([.E%d]>0;[.E%d]*[.G%d];"")' % (r, r, r))
              + formula('IF([.F%d]>0;[.F%d]*[.G%d];"")' % (r, r, r))
              + '</table:table-row>')
last = first + len(cells) - 1
sums = ''.join(formula('SUM([.%s%d:.%s%d])' % (c, first, c, last)) for c in 'EFHIJK')
out.write('<table:table-row><table:table-cell/><table:table-cell/><table:table-cell/><table:table-cell/>' + sums
          + '</table:table-row>')
t = last + 1  # the sums: debit, credit, their term differences, their interest numbers in E..J
out.write('<table:table-row>'
          + formula('[.E%d]-[.F%d]' % (t, t)) + formula('[.G%d]-[.H%d]' % (t, t))
          + formula('ROUND([.I%d]/[.E%d];0)' % (t, t)) + formula('ROUND([.J%d]/[.F%d];0)' % (t, t))
          + formula('ROUND(([.I%d]-[.J%d])/([.E%d]-[.F%d]);0)' % (t, t, t, t))
          + formula('ROUND([.A%d]/MIN([.E%d];[.F%d])/([.D%d]-[.C%d])*365*100;4)' % (t + 1, t, t, t + 1, t + 1))
          + '</table:table-row>')
out.write('</table:table></office:spreadsheet></office:body></office:document>\n')
PYTHON

PROFILE="$WORK/profile"
OFFICE=(soffice -env:UserInstallation="file://$PROFILE" --headless --norestore --convert-to ods --outdir "$WORK/out")
# a first run makes the profile, which is not part of the work
printf '<?xml version="1.0"?>\n' >"$WORK/warm.fods"
"${OFFICE[@]}" "$WORK/warm.fods" >/dev/null 2>&1 || true

office_figures="$(measure "${OFFICE[@]}" "$WORK/ledger.fods")"
office_seconds="$(seconds)"
[[ -s "$WORK/out/ledger.ods" ]] || { echo "LibreOffice wrote nothing" >&2; exit 1; }
echo "LibreOffice headless, the same ledger (load, recalculate, save as ods): $office_figures"
awk -v a="$office_seconds" -v b="$kervio_seconds" \
  'BEGIN { if (b > 0) printf "kervio is %.1fx faster (target at least 40x)\n", a / b }'
