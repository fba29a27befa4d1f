#!/usr/bin/env bash
# Kelvor.exe is a 32-bit program that runs from any folder on its own: it
# imports only DLLs that every Windows has (no MinGW runtime beside it).
# Usage: check_imports.sh OBJDUMP KELVOR_EXE
set -euo pipefail
objdump=$1 exe=$2
windows_dlls="ADVAPI32.DLL COMCTL32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL"

headers=$("$objdump" -p "$exe")
grep -q 'file format pei-i386' <<<"$headers" || { echo "FAIL: $exe is not a 32-bit program"; exit 1; }
status=0
for dll in $(awk '/DLL Name:/ {print toupper($3)}' <<<"$headers"); do
  if [[ " $windows_dlls " == *" $dll "* ]]; then
    echo "ok    imports $dll"
  else
    echo "FAIL  imports $dll, which is not part of Windows"
    status=1
  fi
done
exit $status
