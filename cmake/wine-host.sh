# Sourced by everything that runs Wine: which Wine this machine can run.
# Usage: . wine-host.sh
#
# Some machines run 64-bit user code only. There every 32-bit x86 program
# fails with "Exec format error", and Debian's wine wrapper fails even for
# 64-bit programs, since it starts the 32-bit loader whenever that is
# installed. The probe asks once whether 32-bit code runs here and exports the
# answer, so every script, CMake run and test started afterwards shares it:
#
#   NW_RUNS_32BIT=yes|no   set it to no beforehand to take the 64-bit-only
#                          path on a machine that could run 32-bit code
#
# nw_wine ARGS... runs a Windows program with the Wine this machine can run
# (NW_WINE holds the same command as an array, for exec). Everything Wine is
# asked to do goes through it: wineboot, winecfg, regedit and winepath too.

NW_NO_32BIT_WHY="this machine's kernel cannot run 32-bit programs"
NW_I686_SKIPPED="i686 Windows suites skipped: $NW_NO_32BIT_WHY"

if [ -z "${NW_RUNS_32BIT:-}" ]; then
  # Wine's 32-bit server starts where the kernel runs 32-bit code; elsewhere
  # the kernel refuses it (exit status 126).
  if /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
    NW_RUNS_32BIT=yes
  else
    NW_RUNS_32BIT=no
  fi
fi
case "$NW_RUNS_32BIT" in
  yes | no) export NW_RUNS_32BIT ;;
  *)
    echo "NW_RUNS_32BIT must be yes or no, not '$NW_RUNS_32BIT'" >&2
    return 2 2>/dev/null || exit 2
    ;;
esac

if [ "$NW_RUNS_32BIT" = yes ]; then
  NW_WINE=(wine)
else
  # The 64-bit loader, for the programs it starts as well.
  NW_WINE=(env WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64)
fi

nw_wine() { "${NW_WINE[@]}" "$@"; }
# The Windows path of a Unix one: Wine shows the Unix root as drive Z:.
nw_winpath() { printf 'Z:%s' "${1//\//\\}"; }

# The architectures whose Windows programs run here, for loops over builds.
nw_runnable_arches() {
  if [ "$NW_RUNS_32BIT" = yes ]; then echo "i686 x86_64"; else echo "x86_64"; fi
}
