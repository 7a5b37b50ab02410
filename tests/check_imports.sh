#!/usr/bin/env bash
# Every shipped binary must run as one file: its import table may name only
# Windows system DLLs, never the compiler's runtime DLLs. A shipped DLL that
# takes thread-local storage slots (TlsAlloc) must be able to give them back
# (TlsFree): one that cannot keeps a slot per load, as a thread library linked
# in does, and a host that loads it a thousand times runs out of slots. With
# WARESEEK_UNSTRIPPED_DIR set, the unstripped copies of the DLLs there are
# also checked for a linked-in thread library (winpthreads' pthread_ symbols).
#   check_imports.sh <objdump> <binary>...
set -euo pipefail
objdump=$1
shift
allowed='^(advapi32|kernel32|msvcrt|ole32|oleaut32|shell32|shlwapi|user32|psapi|wininet|ws2_32|crypt32|version)\.dll$'
status=0
for binary in "$@"; do
  # The reads below run in process substitutions, where a failing objdump
  # would go unnoticed and the binary pass unchecked.
  if ! "$objdump" -p "$binary" >/dev/null; then
    echo "$(basename "$binary"): $objdump cannot read it"
    status=1
    continue
  fi
  while read -r name; do
    if ! echo "$name" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
      echo "$(basename "$binary") imports $name, which is not a Windows system DLL"
      status=1
    fi
  done < <("$objdump" -p "$binary" | sed -n 's/^[[:space:]]*DLL Name: //p')
  if [[ $binary == *.dll ]]; then
    functions=$("$objdump" -p "$binary" | awk '/DLL Name:/ { print "" } NF == 3 && $1 ~ /^[0-9a-f]+$/ { print $3 }')
    if grep -qx TlsAlloc <<<"$functions" && ! grep -qx TlsFree <<<"$functions"; then
      echo "$(basename "$binary") takes thread-local storage slots (TlsAlloc) and never gives them back (no TlsFree)"
      status=1
    fi
    unstripped=${WARESEEK_UNSTRIPPED_DIR:-}/$(basename "$binary")
    if [ -n "${WARESEEK_UNSTRIPPED_DIR:-}" ] && [ "$("${objdump%objdump}nm" "$unstripped" | grep -Ec ' _?pthread_')" != 0 ]; then
      echo "$(basename "$binary") links a thread library (pthread_ symbols), which keeps a slot per load"
      status=1
    fi
  fi
done
exit $status
