#!/usr/bin/env bash
# Checks the shipped installer and portable zip: both hold the same program
# folder, whose files are those of the 32-bit program folder, every program
# and module in them (the installer's plugins included) is 32-bit, and so is
# the installer itself.
#   check_release_package.sh SETUP ZIP DIST32
set -euo pipefail
setup=$(realpath -m "$1") zip=$(realpath -m "$2") dist=$(realpath -m "$3")

if [ "${LUMORA_SKIP_32:-0}" = 1 ]; then
  echo "the 32-bit flavour was not built (LUMORA_SKIP_32=1)"
  exit 77
fi
fail() { echo "FAILED: $*" >&2; exit 1; }
[ -f "$setup" ] || fail "no installer $setup"
[ -f "$zip" ] || fail "no portable zip $zip"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

kind=$(file -b "$setup")
[[ $kind == "PE32 executable (GUI) Intel 80386"* ]] || fail "the installer is not 32-bit: $kind"

7z x -y -o"$work/setup" "$setup" >/dev/null
plugins="$work/setup/\$PLUGINSDIR"
[ -f "$plugins/LumoraSetup.dll" ] || fail "the installer carries no LumoraSetup.dll"
(cd "$work" && cmake -E tar xf "$zip")
[ -d "$work/Lumora" ] || fail "the zip holds no folder Lumora"

list() { (cd "$1" && find . -type f | sed 's|^\./||' | sort); }
# The installer writes its uninstaller itself; the rest is the program folder.
diff <(list "$work/setup" | grep -v -e '^\$PLUGINSDIR/' -e '^uninstall\.exe$') <(list "$work/Lumora") ||
  fail "the installer and the zip hold different files"
diff -r -x '$PLUGINSDIR' -x uninstall.exe "$work/setup" "$work/Lumora" ||
  fail "the installer's files differ from the zip's"
diff <(list "$work/Lumora") <(list "$dist" | grep -v -e '^config\.ini$' -e '\.log$' -e '\.dmp$' -e '\.tmp$') ||
  fail "the packages do not hold the files of $dist"

count=0
while IFS= read -r -d '' module; do
  kind=$(file -b "$module")
  [[ $kind == "PE32 executable"*"Intel 80386"* ]] || fail "${module#"$work"/} is not 32-bit: $kind"
  count=$((count + 1))
done < <(find "$work/setup" "$work/Lumora" -type f \( -iname '*.exe' -o -iname '*.dll' \) \
  ! -name uninstall.exe -print0)
[ "$count" -gt 0 ] || fail "no programs found in the packages"
echo "$setup and $zip: the same $(list "$work/Lumora" | wc -l) files; all $count programs and modules in them are 32-bit"
