#!/usr/bin/env bash
# Writes an HTML report of files with non-ASCII and hostile names, opens it in
# headless Chromium and checks that the browser shows the names as text in the
# table: no markup of a name becomes an element, every name is in its cell.
# Leaves the report, the browser's DOM and a screenshot in the output folder.
#
#   scripts/report-in-browser.sh [OUTPUT-FOLDER]   (default build/report-in-browser)
#
# Installs Chromium (Debian's chromium package) through install-deps.sh and
# builds the report helper; not part of ./test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

out="${1:-build/report-in-browser}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"

scripts/install-deps.sh chromium
if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build --target quillfen-reportsample

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
files="$work/files"
mkdir "$files"
# The names, one per file; each pair becomes a group of the report.
names=(
    '<script>alert(1)<script>.txt'
    '<img src=x onerror=alert(2)>.png'
    'a&b "double" '"'"'single'"'"'.doc'
    'Ünïcödé café.mp3'
    '日本語のファイル.txt'
    'emoji 🎵 song.flac'
    '<b>bold <td>cell <tr>row <table>.html'
    '<!-- comment.txt'
    '&lt;already escaped&gt;.txt'
)
for name in "${names[@]}"; do
    printf 'same content\n' > "$files/$name"
done
# A name that is not UTF-8: its byte shows as the replacement character.
printf 'same content\n' > "$files/$(printf 'caf\xe9 latin1.txt')"

report="$out/report.html"
build/tests/tools/quillfen-reportsample "$files" "$report"

profile="$(mktemp -d)"
chromium_flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run
    --disable-background-networking --disable-component-update --disable-sync
    --user-data-dir="$profile")
url="file://$report"
chromium "${chromium_flags[@]}" --dump-dom "$url" > "$out/dom.html" 2> "$out/chromium.log"
rm -rf "$profile"
profile="$(mktemp -d)"
chromium "${chromium_flags[@]}" --user-data-dir="$profile" --window-size=1600,900 \
    --screenshot="$out/screenshot.png" "$url" >> "$out/chromium.log" 2>&1
rm -rf "$profile"

failures=0
check() { # description, command...
    local description="$1"
    shift
    if "$@"; then
        echo "ok    $description"
    else
        echo "FAIL  $description"
        failures=$((failures + 1))
    fi
}
dom="$out/dom.html"
contains() { grep -qF -- "$1" "$dom"; }
count() { grep -oF -- "$1" "$dom" | wc -l; }

# The browser serialises text nodes with &, < and > escaped: a name found in
# that form was text, not markup.
escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' <<< "$1"; }
check "title" contains '<title>Quillfen - Report</title>'
for name in "${names[@]}"; do
    check "name shown as text: $name" contains "$(escape "$name")</font></td>"
done
check "non-UTF-8 byte shown as U+FFFD" contains 'caf� latin1.txt'
check "no element made from a name: script" test "$(count '<script')" -eq 0
check "no element made from a name: img" test "$(count '<img')" -eq 0
check "no element made from a name: b" test "$(count '<b>')" -eq 0
check "no comment made from a name" test "$(count '<!--')" -eq 0
check "one table" test "$(count '<table')" -eq 1
# Header row, ten file rows, four separator rows.
check "15 table rows" test "$(count '<tr>')" -eq 15
check "10 rows of files" test "$(count 'width="400" bgcolor="#FFFFFF"')" -eq 10
check "4 separator rows" test "$(count 'height="5"')" -eq 4
check "folder column holds the folder" test "$(count "$(escape "$files/")</font></td>")" -eq 10
check "screenshot written" test -s "$out/screenshot.png"

echo "report:     $report"
echo "DOM:        $dom"
echo "screenshot: $out/screenshot.png"
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
