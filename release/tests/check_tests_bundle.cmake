# Makes the test bundle with its packaging script, unpacks it, checks its
# layout, and runs its run-tests.cmd /quick under Wine's cmd in both prefixes,
# from another folder than the bundle's: it must say whether it runs elevated,
# every run must pass and the closing line must count them all.
#   the variables of make_tests_bundle.cmake, and
#   EMULATOR   the Wine launcher (scripts/in-wine)
cmake_minimum_required(VERSION 3.20)
include("${CMAKE_CURRENT_LIST_DIR}/../make_tests_bundle.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/unpack_archive.cmake")

# Test programs and the host's runs that run-tests.cmd /quick counts.
set(quick_runs 17)

unpack_archive("${bundle_output}" unpacked)
set(folder "${unpacked}/wareseek-${VERSION}-tests")

set(failures "")
foreach(needed run-tests.cmd tests-bin/wareseek_unit_tests.exe tests-bin/wareseek_sleeper.exe
    tests-bin/wareseek_recording_download.dll tests-bin/signed-catalogues/catalogue.xml.sig stage/wareseek.dll stage/zqdownload.dll stage/wareseek-host.exe
    stage/ProductCfg/SMBPlugins_x86.xml stage/ProductCfg/SMBPlugins_x64.xml stage/ProductCfg/ProductCfg.ini
    stage/config/reporttempl.xml)
  if(NOT EXISTS "${folder}/${needed}")
    string(APPEND failures "the bundle lacks ${needed}\n")
  endif()
endforeach()

string(REPLACE "/" "\\" script "Z:${folder}/run-tests.cmd")
foreach(prefix win32 win64)
  string(TIMESTAMP start "%s")
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env "WARESEEK_WINE_PREFIX=${prefix}" "${EMULATOR}" cmd /c "${script}" /quick
    WORKING_DIRECTORY "${unpacked}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(TIMESTAMP end "%s")
  math(EXPR seconds "${end} - ${start}")
  string(REPLACE "\r\n" "\n" out "${out}")
  message("${prefix}: exit code ${rc} after ${seconds} s\n--- stdout\n${out}--- stderr\n${err}---")
  string(REGEX MATCH "[^\n]*\n*$" last "${out}")
  string(STRIP "${last}" last)
  if(NOT out MATCHES "\nElevated: (yes|no)")
    string(APPEND failures "${prefix}: no line saying whether it runs elevated\n")
  endif()
  if(NOT rc EQUAL 0 OR NOT last STREQUAL "${quick_runs} passed, 0 failed")
    string(APPEND failures
      "${prefix}: exit code ${rc}, closing line '${last}', expected '${quick_runs} passed, 0 failed'\n")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
