#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets into OUT/<target>/: the
# example projects, groups and modules of examples/, version records that
# tlvx-count writes for the example group, and small generated files (INI
# texts, Base64 texts, texts in each encoding, call arguments). Nothing
# comes from elsewhere.
#
#   make_seeds.sh BIN-DIR OUT
set -euo pipefail
bin=$(cd "$1" && pwd)
out=$2
examples=$(cd "$(dirname "$0")/../examples" && pwd)
mkdir -p "$out"
out=$(cd "$out" && pwd)

seed() { # target name: stdin to OUT/target/name
  mkdir -p "$out/$1"
  cat >"$out/$1/$2"
}

# Projects and groups as they are, and with bare LF line ends.
n=0
while IFS= read -r -d '' file; do
  n=$((n + 1))
  seed project_file_fuzzer "example-$n" <"$file"
  tr -d '\r' <"$file" | seed project_file_fuzzer "example-$n-lf"
done < <(find "$examples" -name '*.vbp' -print0)
seed project_file_fuzzer empty </dev/null
printf 'Type=Exe\r\nForm=a.frm\r\nModule=m; m.bas\r\nName="P"\r\nMajorVer=1\r\n' |
  seed project_file_fuzzer small
seed group_file_fuzzer shop <"$examples/Shop.vbg"
tr -d '\r' <"$examples/Shop.vbg" | seed group_file_fuzzer shop-lf
printf 'VBGROUP 5.0\rStartupProject=a\\A.vbp\rProject=..\\b\\B.vbp\r' | seed group_file_fuzzer cr

# Modules: the first byte picks the kind (0 .bas, 1 .frm, 2 .cls, 3 .ctl).
kind() {
  case "$1" in
    *.bas) printf '\000' ;; *.frm) printf '\001' ;; *.cls) printf '\002' ;; *.ctl) printf '\003' ;;
    *) printf '\007' ;;
  esac
}
n=0
while IFS= read -r -d '' file; do
  n=$((n + 1))
  { kind "$file"; cat "$file"; } | seed module_count_fuzzer "example-$n"
  { kind "$file"; tr -d '\r' <"$file"; } | seed module_count_fuzzer "example-$n-lf"
done < <(find "$examples" \( -name '*.bas' -o -name '*.frm' -o -name '*.cls' -o -name '*.ctl' \) -print0)

# INI texts: the section and key the input names come first, each ended by
# a backslash and one more character, as the data provider reads them.
# Double-byte names whose second bytes are '\\' and letters; the last byte picks the code page.
printf '\\\x01Form=..\\\x95\x5C\x8E\xA6\\\x83\x5C\x8C\x76\x8E\x5A.frm\r\n[\x83\x5D]\r\n\xA5\x5C\xA4\x41\x01' | seed code_page_fuzzer native-names
{ cat "$examples/Till/Till.vbp"; printf '\x07'; } | seed code_page_fuzzer project
printf 'Info\\ Name\\ [Info]\r\nName="Till"\r\nMajorVer=2\r\n' | seed ini_file_fuzzer info
printf "a\\\\ b\\\\ ; note\n[ A ]\nb = ' quoted '\n[a]\nb=second\n" | seed ini_file_fuzzer first-match
printf '\xEF\xBB\xBF[S]\r\nk=caf\xC3\xA9\r\n' | seed ini_file_fuzzer utf8-mark
printf '\xFF\xFE[\000S\000]\000\r\000\n\000k\000=\000v\000' | seed ini_file_fuzzer utf16-mark
{ cat "$examples/Till/Till.vbp"; } | seed ini_file_fuzzer project

# Version records as the program writes them (the first byte picks the
# sort column).
records=$(mktemp -d "${TMPDIR:-/tmp}/tlvx-seeds.XXXXXX")
trap 'rm -rf "$records"' EXIT
TLVX_REGISTRY="$records/registry.sqlite" "$bin/tlvx-count" --record --history "$records/verhis" \
  "$examples/Shop.vbg" >/dev/null
n=0
while IFS= read -r -d '' file; do
  n=$((n + 1))
  { printf '\003'; cat "$file"; } | seed version_record_fuzzer "record-$n"
  { printf '\201'; cat "$file"; } | seed version_record_fuzzer "record-$n-descending"
done < <(find "$records/verhis" -type f -print0)
printf '\000..\\Common\\C:ore.bas:Module:1:2:0:0:0:0:0:0:0:0\r\nTotal\r\n' |
  seed version_record_fuzzer colon

# Base64: charset pick, narrow or wide, then the text.
printf '\000\000SGVsbG8sIHdvcmxkIQ==' | seed base64_fuzzer hello
printf '\001\000//79/A==\r\nQUJD' | seed base64_fuzzer wrapped
base64 -w 76 "$examples/Till/mdlTill.bas" | sed 's/$/\r/' | { printf '\002\000'; cat; } |
  seed base64_fuzzer module

# Texts in each encoding: block sizes first, then the bytes.
printf '\000caf\xC3\xA9 cr\xC3\xA8me' | seed encoding_detection_fuzzer utf8
printf '\000\xEF\xBB\xBFmarked' | seed encoding_detection_fuzzer utf8-mark
printf '\000\xFF\xFEu\000t\000f\000' | seed encoding_detection_fuzzer utf16le
printf '\000\xFE\xFF\000u\000t\000f' | seed encoding_detection_fuzzer utf16be
printf '\003\001\002\003caf\xE9' | seed encoding_detection_fuzzer latin1
printf '\000\xF8\x88\x80\x80\x80 \xFC\x84\x80\x80\x80\x80' | seed encoding_detection_fuzzer long-forms

# Calls: a few byte strings the data provider turns into argument lists.
for i in 1 2 3 4 5 6; do
  LC_ALL=C awk -v seed="$i" 'BEGIN { srand(seed); for (k = 0; k < seed * 24; k++) printf "%c", int(rand() * 256) }' |
    seed invoke_arguments_fuzzer "generated-$i"
done
echo "seeds in $out"
