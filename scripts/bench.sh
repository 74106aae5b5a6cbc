#!/usr/bin/env bash
# Prints the program's figures: start-up and a whole Make Link run against a
# bare window under Wine (both builds, medians of alternating runs), the sizes
# and imports of the executables, the console companion's make against reg
# import of the same keys, and the reader on 1 GiB hostile files. Where this
# machine cannot run 32-bit programs, the i686 figures under Wine are left out
# (with the reason); its sizes and imports are still printed. Each figure that
# has a target is printed with it, and with "met" or "not met" (medians of the
# alternating runs):
#   start to painted, idle main window against the window with 21 controls: at most 1.05 x
#   whole Make Link run against the same:                                    at most 1.10 x
#   nwk make against reg import of the same keys:                           at most 1.00 x
#   the i686 nookwayer.exe:                                                  at most 256 KiB
#   scripts/bench.sh [RUNS]
# RUNS (61 unless given) is how many times each program of a pair runs. On a
# shared virtual machine a tenth to a third of all runs take far longer, for
# reasons outside the programs (the window's 10-40 ms, nwk's 2-6 ms, a longer
# pause between runs or not), and how many fall on either side of a pair
# varies: with 21 runs each, one ratio of medians ranged from 0.91 to 1.15
# over eight runs of this script; with 61, none moved by more than 0.05 over
# eight. 61 runs take about five minutes.
# The Wine session runs on one CPU, and the programs from where their package
# installs them (see under_wine); NW_BENCH_ONE_CPU=no runs the session across
# all CPUs, NW_BENCH_FROM_BUILD=yes the programs from the build tree, for
# comparison.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
runs="${1:-61}"
start_target=1.05 make_link_target=1.10 make_target=1.00 size_target_kib=256

bash scripts/install-deps.sh
. cmake/wine-host.sh
jobs="$(nproc)"
cmake --preset native >/dev/null
cmake --build --preset native --target reader_bench -j "$jobs" >/dev/null
for arch in i686 x86_64; do
  cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch" --target nookwayer nwk startup_bench bare_window bare_controls pair_bench -j "$jobs" >/dev/null
done

work="$root/build/bench"
mkdir -p "$work"

# A definition with twenty verbs.
nwk="$work/twenty-verbs.nwk"
{
  printf "Hollowpine's Nookway v1_[A1]\r\nname=Bench\r\nicon=shell32.dll,3\r\nclsid5=BE4C00000020\r\n"
  for i in $(seq 1 20); do printf 'Verb %s;cmd.exe /c echo %s;\r\n' "$i" "$i"; done
} >"$nwk"

echo "== Under Wine ($runs alternating runs each): start-up, Make Link, nwk make"
[ "$NW_RUNS_32BIT" = yes ] || echo "(no i686 figures under Wine: $NW_NO_32BIT_WHY)"
prefix="$root/build/wineprefix"
env -u DISPLAY cmake/wine-prefix.sh ensure "$prefix"
cmake/wine-prefix.sh stop "$prefix"
under_wine() {
  local root="$1" nwk="$2" runs="$3" start_target="$4" make_link_target="$5" make_target="$6" arches
  # The wineserver and every program started after it run on one CPU, the
  # first this shell may use. Under Wine each window and registry call is a
  # round trip to the wineserver. Where the two ends of a trip run on
  # different CPUs, each wakes the other's CPU: on a two-core virtual machine
  # a trip then cost 40-60 us instead of about 5. The scheduler decides that
  # anew in every run, so the fastest run of a floor took half its median. On
  # one CPU the figures measure what the programs do, and vary far less.
  # NW_BENCH_ONE_CPU=no runs them across all CPUs instead.
  if [ "${NW_BENCH_ONE_CPU:-yes}" != no ]; then
    local cpu cpus
    cpus="$(nproc)"
    cpu="$(taskset -pc "$BASHPID" | sed 's/.*: //; s/[-,].*//')"
    "$root/cmake/wine-prefix.sh" stop "$WINEPREFIX"
    taskset -pc "$cpu" "$BASHPID" >/dev/null
    "$root/cmake/wine-prefix.sh" start "$WINEPREFIX"
    echo "(the wineserver and the programs on CPU $cpu of $cpus)"
  fi
  arches="$(nw_runnable_arches)"
  # The programs run from where their package installs them, Program
  # Files\Nookwayer (Program Files (x86) for i686), with the floors beside
  # them, as reg.exe runs from the system folder: Windows looks for a
  # program's DLLs in its own folder first, and from the build tree each
  # process of ours looked there, ten folders down drive Z:, for each DLL it
  # loads (2-4 % of nwk make). NW_BENCH_FROM_BUILD=yes runs them from the
  # build tree instead.
  local -A gui floors companion
  local arch folder installed=()
  for arch in $arches; do
    if [ "${NW_BENCH_FROM_BUILD:-no}" = yes ]; then
      gui[$arch]="$(nw_winpath "$root/build/$arch/src/frmNW/nookwayer.exe")"
      floors[$arch]="$(nw_winpath "$root/build/$arch/bench")"
      companion[$arch]="$(nw_winpath "$root/build/$arch/src/nwk/nwk.exe")"
      continue
    fi
    folder='Program Files\Nookwayer'
    [ "$arch" = i686 ] && folder='Program Files (x86)\Nookwayer'
    installed+=("$WINEPREFIX/drive_c/${folder//\\//}")
    mkdir -p "${installed[-1]}"
    cp "$root/build/$arch/src/frmNW/nookwayer.exe" "$root/build/$arch/src/nwk/nwk.exe" \
      "$root/build/$arch/bench/bare_window.exe" "$root/build/$arch/bench/bare_controls.exe" "${installed[-1]}/"
    gui[$arch]="C:\\$folder\\nookwayer.exe" floors[$arch]="C:\\$folder" companion[$arch]="C:\\$folder\\nwk.exe"
  done
  # Against two floors: an empty window, and a window with as many standard
  # controls as ours, the same manifest and common controls.
  # The targets are set against the window with as many controls.
  for arch in $arches; do
    for floor in bare_window bare_controls; do
      echo "-- $arch, against $floor"
      local targets=()
      [ "$floor" = bare_controls ] && targets=("$start_target" "$make_link_target")
      nw_wine "$root/build/$arch/bench/startup_bench.exe" "${gui[$arch]}" "${floors[$arch]}\\$floor.exe" \
        "$(nw_winpath "$nwk")" "$runs" "${targets[@]}"
    done
  done
  # The companion against reg import of the same keys, each build against the
  # reg of its own bitness; /reg:64 so both write the same view.
  nw_wine "$root/build/x86_64/src/nwk/nwk.exe" export "$(nw_winpath "$nwk")" -o "$(nw_winpath "${nwk%.nwk}.reg")"
  # Made again over itself (as a logon script or a deployment run does), and
  # made where it is not yet: nwk remove, untimed, before each run of either.
  for arch in $arches; do
    local nwk_exe="\"${companion[$arch]}\""
    echo "-- $arch: A = nwk make, B = reg import /reg:64 (20 verbs, over themselves)"
    nw_wine "$root/build/$arch/bench/pair_bench.exe" "$runs" "$nwk_exe make $(nw_winpath "$nwk")" \
      "reg.exe import $(nw_winpath "${nwk%.nwk}.reg") /reg:64" "$make_target"
    echo "-- $arch: the same where the folder is not yet (no target)"
    nw_wine "$root/build/$arch/bench/pair_bench.exe" "$runs" "$nwk_exe make $(nw_winpath "$nwk")" \
      "reg.exe import $(nw_winpath "${nwk%.nwk}.reg") /reg:64" - "$nwk_exe remove $(nw_winpath "$nwk")"
  done
  # Take the benchmark folder out of the prefix again.
  for key in "HKCR\\CLSID\\{0000000D-CF0D-D10A-A240-BE4C00000020}" \
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\{0000000D-CF0D-D10A-A240-BE4C00000020}"; do
    nw_wine reg delete "$key" /f /reg:64 >/dev/null 2>&1 || true
  done
  # And the programs, from where they were put.
  rm -rf "${installed[@]}"
}
. cmake/wine-display.sh
nw_wine_display "$prefix" under_wine "$root" "$nwk" "$runs" "$start_target" "$make_link_target" "$make_target"

echo "== Executables"
for arch in i686 x86_64; do
  for exe in "build/$arch/src/frmNW/nookwayer.exe" "build/$arch/src/nwk/nwk.exe"; do
    size=$(stat -c %s "$exe")
    dlls=$("$arch-w64-mingw32-objdump" -p "$exe" | sed -n 's/.*DLL Name: //p' | tr '\n' ' ')
    printf '%-7s %-14s %7d bytes (%d KiB)  imports: %s\n' "$arch" "$(basename "$exe")" "$size" $((size / 1024)) "$dlls"
  done
done
size=$(stat -c %s build/i686/src/frmNW/nookwayer.exe)
verdict="not met"
[ "$size" -le $((size_target_kib * 1024)) ] && verdict=met
awk -v size="$size" -v target="$size_target_kib" -v verdict="$verdict" 'BEGIN {
  printf "  target: i686 nookwayer.exe at most %d KiB, measured %.1f KiB: %s\n", target, size / 1024, verdict }'

echo "== The reader on hostile 1 GiB files (native)"
gib=$((1024 * 1024 * 1024))
header="Hollowpine's Nookway v1_[A1]\r\nname=N\r\nicon=I\r\nclsid5=C\r\n"
set +o pipefail  # yes(1) ends by a broken pipe
head -c "$gib" /dev/zero | tr '\0' 'x' >"$work/no-magic-line.nwk"
{ printf "$header"; yes $'Verb;cmd.exe;\r' | head -c "$gib"; } >"$work/endless-menu.nwk"
{ printf "${header%%name=*}name="; head -c "$gib" /dev/zero | tr '\0' 'n'; } >"$work/endless-name.nwk"
set -o pipefail
for file in examples/admin-tools.nwk "$work/no-magic-line.nwk" "$work/endless-menu.nwk" "$work/endless-name.nwk"; do
  build/native/bench/reader_bench "$file"
done
rm -f "$work/no-magic-line.nwk" "$work/endless-menu.nwk" "$work/endless-name.nwk"
