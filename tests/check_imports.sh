#!/usr/bin/env bash
# Every shipped binary must run as one file: its import table may name only
# Windows system DLLs, never the compiler's runtime DLLs.
#   check_imports.sh <objdump> <binary>...
set -euo pipefail
objdump=$1
shift
allowed='^(advapi32|kernel32|msvcrt|ole32|oleaut32|shell32|shlwapi|user32|wtsapi32|psapi|wininet|ws2_32|crypt32|version)\.dll$'
status=0
for binary in "$@"; do
  while read -r name; do
    if ! echo "$name" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
      echo "$(basename "$binary") imports $name, which is not a Windows system DLL"
      status=1
    fi
  done < <("$objdump" -p "$binary" | sed -n 's/^[[:space:]]*DLL Name: //p')
done
exit $status
