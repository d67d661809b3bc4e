#!/usr/bin/env bash
# Does the exe still start on Windows 7? Reads its import tables and fails on
# a DLL or function that came with a later Windows: the loader refuses such a
# program before its first line runs.
# Newer calls are fine when looked up at run time with GetProcAddress.
#
#   win7_imports.sh <objdump> <program.exe>...
set -uo pipefail

if (($# < 2)); then
  echo "usage: $0 <objdump> <program.exe>..." >&2
  exit 2
fi
objdump=$1
shift

# DLLs missing from a plain Windows 7 (SP1 without later updates). API sets
# are listed whole: Windows 7 has only a few, and none a MinGW program needs.
newer_dlls='^(shcore|ucrtbase|vcruntime140(_1)?|msvcp140(_[0-9a-z]+)?|combase|wintypes|dcomp|d3d12|dxcore|icu|icuuc|icuin|api-ms-win-.*|ext-ms-win-.*)\.dll$'

# The only DLLs a program may import statically: KnownDLLs, which Windows
# loads from System32 whatever lies beside the program. Any other is looked
# for in the program's folder first, before its entry point could narrow
# the search.
known_dlls='^(advapi32|gdi32|kernel32|msvcrt|user32)\.dll$'

# Functions that came after Windows 7; a trailing * matches a prefix.
newer_functions=(
  # Per-monitor DPI (Windows 8.1 and 10)
  GetDpiForWindow GetDpiForSystem GetSystemDpiForProcess GetDpiFromDpiAwarenessContext
  AdjustWindowRectExForDpi GetSystemMetricsForDpi SystemParametersInfoForDpi
  SetProcessDpiAwarenessContext SetThreadDpiAwarenessContext GetThreadDpiAwarenessContext
  GetWindowDpiAwarenessContext GetAwarenessFromDpiAwarenessContext AreDpiAwarenessContextsEqual
  IsValidDpiAwarenessContext EnableNonClientDpiScaling SetThreadDpiHostingBehavior
  SetDialogDpiChangeBehavior SetDialogControlDpiChangeBehavior
  LogicalToPhysicalPointForPerMonitorDPI PhysicalToLogicalPointForPerMonitorDPI
  GetDpiForMonitor SetProcessDpiAwareness GetProcessDpiAwareness OpenThemeDataForDpi
  # Pointer and touch input, display rotation (Windows 8)
  GetPointerType GetPointerInfo EnableMouseInPointer InitializeTouchInjection InjectTouchInput
  GetDisplayAutoRotationPreferences SetDisplayAutoRotationPreferences
  # Kernel (Windows 8 and later)
  GetSystemTimePreciseAsFileTime CreateFile2 CopyFile2 WaitOnAddress WakeByAddressSingle
  WakeByAddressAll InitializeSynchronizationBarrier EnterSynchronizationBarrier
  DeleteSynchronizationBarrier GetCurrentPackageFullName GetCurrentPackageId
  GetCurrentPackageFamilyName GetPackageFullName LoadPackagedLibrary SetThreadDescription
  GetThreadDescription SetThreadInformation GetThreadInformation SetProcessInformation
  GetProcessInformation GetProcessMitigationPolicy SetProcessMitigationPolicy
  PrefetchVirtualMemory DiscardVirtualMemory OfferVirtualMemory ReclaimVirtualMemory
  VirtualAlloc2 MapViewOfFile3 CreateFileMappingFromApp MapViewOfFileFromApp
  GetOverlappedResultEx GetFirmwareType CompareObjectHandles GetSystemCpuSetInformation
  SetThreadSelectedCpuSets QueryInterruptTime QueryUnbiasedInterruptTimePrecise
  GetUserDefaultGeoName CoIncrementMTAUsage RoInitialize RoGetActivationFactory
  # Only with update KB2533623, which a fresh Windows 7 lacks
  SetDefaultDllDirectories AddDllDirectory RemoveDllDirectory
  # Path functions of Windows 8
  'PathCch*' 'PathAlloc*' PathIsUNCEx
)

status=0
for exe in "$@"; do
  name=$(basename "$exe")
  if ! dump=$("$objdump" -p "$exe" 2>&1); then
    echo "$name: $objdump failed: $dump" >&2
    status=1
    continue
  fi

  # PE32 runs on 32-bit and 64-bit Windows; PE32+ on 64-bit only.
  if ! grep -q 'file format pei-i386$' <<<"$dump"; then
    echo "$name: not a 32-bit (pei-i386) program: $(grep -m1 'file format' <<<"$dump")" >&2
    status=1
  fi
  if ! grep -qE '^Subsystem\s+0*2\s+\(Windows GUI\)' <<<"$dump"; then
    echo "$name: not a GUI program: $(grep -m1 '^Subsystem' <<<"$dump")" >&2
    status=1
  fi
  # The loader refuses an image that asks for a newer subsystem than 6.1.
  major=$(sed -n 's/^MajorSubsystemVersion\s\+//p' <<<"$dump")
  minor=$(sed -n 's/^MinorSubsystemVersion\s\+//p' <<<"$dump")
  if [[ -z $major || -z $minor ]] || ((major > 6 || (major == 6 && minor > 1))); then
    echo "$name: subsystem version ${major:-?}.${minor:-?} is newer than Windows 7 (6.1)" >&2
    status=1
  fi

  # "DLL function" for every import; "#N" for one by ordinal.
  imports=$(awk '
    /^\tDLL Name: / { dll = $3; next }
    /^The Export Tables|^PE File Base Relocations|^The Function Table/ { dll = "" }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_?@]/ { print dll, $3 }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +<none>$/ { print dll, "#" $2 }
  ' <<<"$dump")
  dlls=$(sed -n 's/^\tDLL Name: //p' <<<"$dump" | sort -fu)
  # An empty list would pass anything: the dump's layout has changed.
  if [[ -z $imports || -z $dlls ]]; then
    echo "$name: no imports found in the objdump output" >&2
    status=1
    continue
  fi
  while read -r dll; do
    grep -qi "^$dll " <<<"$imports" || { echo "$name: no functions read for $dll" >&2; status=1; }
    if ! grep -qiE "$known_dlls" <<<"$dll"; then
      echo "$name: imports $dll statically: only KnownDLLs (advapi32 gdi32 kernel32 msvcrt user32), or a planted $dll may load first" >&2
      status=1
    fi
    if grep -qiE "$newer_dlls" <<<"$dll"; then
      echo "$name: imports $dll, which Windows 7 lacks" >&2
      status=1
    fi
  done <<<"$dlls"
  while read -r dll function; do
    for newer in "${newer_functions[@]}"; do
      # shellcheck disable=SC2053  # the pattern is meant to match
      if [[ $function == $newer ]]; then
        echo "$name: imports $function from $dll, which Windows 7 lacks" >&2
        status=1
      fi
    done
  done <<<"$imports"
  echo "$name: $(wc -l <<<"$imports") imports from $(wc -l <<<"$dlls") DLLs checked"
done
exit $status
