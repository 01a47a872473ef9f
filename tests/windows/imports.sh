#!/usr/bin/env bash
# Each program imports only DLLs that ship with Windows: the C++ and gcc runtimes and winpthread
# are linked in, so a copy runs on a machine without mingw.
# usage: imports.sh OBJDUMP PROGRAM.exe...
set -u
objdump=$1
shift
status=0
for exe in "$@"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
  if [[ -z "$dlls" ]]; then
    echo "$exe: no imports found"
    status=1
  fi
  for dll in $dlls; do
    case "$dll" in
      kernel32.dll | user32.dll | gdi32.dll | shell32.dll | advapi32.dll | ole32.dll | \
        oleaut32.dll | comdlg32.dll | comctl32.dll | winmm.dll | msvcrt.dll | ucrtbase.dll | \
        ws2_32.dll | bcrypt.dll | normaliz.dll | api-ms-win-*.dll) ;;
      *)
        echo "$exe imports $dll, which Windows does not ship"
        status=1
        ;;
    esac
  done
done
exit $status
