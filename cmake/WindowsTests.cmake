# Tests of a Windows build run under Wine. Wine runs 64-bit programs on every
# build machine, 32-bit ones only where the kernel runs 32-bit code: the probe
# of wine-host.sh says which (the scripts export its answer; a bare CMake run
# asks it itself). Where this build's programs cannot run, each of its Windows
# suites is one test that reports itself skipped, and says why.
execute_process(
  COMMAND bash -c ". \"$1/wine-host.sh\" && printf '%s\\n%s' \"$NW_RUNS_32BIT\" \"$NW_I686_SKIPPED\"" bash
          "${CMAKE_CURRENT_LIST_DIR}"
  OUTPUT_VARIABLE nw_probe RESULT_VARIABLE nw_probe_status)
if(NOT nw_probe_status EQUAL 0)
  message(FATAL_ERROR "cmake/wine-host.sh failed (${nw_probe_status})")
endif()
string(REPLACE "\n" ";" nw_probe "${nw_probe}")
list(GET nw_probe 0 nw_runs_32bit)
list(GET nw_probe 1 nw_i686_skipped)
set(NW_WINDOWS_TESTS_SKIPPED "")
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND nw_runs_32bit STREQUAL "no")
  set(NW_WINDOWS_TESTS_SKIPPED "${nw_i686_skipped}")
  message(STATUS "${NW_WINDOWS_TESTS_SKIPPED}")
endif()

# The property every Windows test carries: they run one at a time, since they
# share one prefix, registry and display.
set(NW_WINDOWS_TEST_PROPERTIES RESOURCE_LOCK wineprefix TIMEOUT 120)

# nw_windows_skip(NAME [LABELS...]): the one test that stands for a suite that
# cannot run here.
function(nw_windows_skip name)
  add_test(NAME ${name}.skipped COMMAND ${CMAKE_COMMAND} -E echo "${name}: ${NW_WINDOWS_TESTS_SKIPPED}")
  set_tests_properties(${name}.skipped PROPERTIES SKIP_REGULAR_EXPRESSION "suites skipped")
  if(ARGN)
    set_tests_properties(${name}.skipped PROPERTIES LABELS "${ARGN}")
  endif()
endfunction()

# nw_windows_gtests(TARGET [LABELS...]): a GoogleTest suite run under Wine.
function(nw_windows_gtests target)
  if(NW_WINDOWS_TESTS_SKIPPED)
    nw_windows_skip(${target} ${ARGN})
    return()
  endif()
  set(labels)
  if(ARGN)
    set(labels LABELS "${ARGN}")
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES ${NW_WINDOWS_TEST_PROPERTIES} ${labels})
endfunction()
