# Makes the test bundle with its packaging script, unpacks it into a folder
# whose name holds a space and an "&", checks its layout and that every
# program carries the application manifest, and runs its run-tests.cmd /quick
# under Wine's cmd in both prefixes, from another folder than the bundle's.
# Before each run the prefix gets what a PC may hold, and after it the check
# wants it back as it was:
#   win32  what a killed run left: the debug switch on with the note of its
#          old value "0", its log, a test key, a temporary folder of the tests
#          (and beside it a folder of the PC's own, named alike);
#   win64  a PC with the product: the switch "0" and a log with a line of its
#          own, both to be left byte for byte as they were.
# Every run must pass or skip, the closing line must count them all, and the
# results file must stand beside run-tests.cmd.
#   the variables of make_tests_bundle.cmake, and
#   EMULATOR     the Wine launcher (scripts/in-wine)
#   PYTHON3      the command that runs python3 (a list)
#   PE_MANIFEST  tests/pe_manifest.py
cmake_minimum_required(VERSION 3.20)
include("${CMAKE_CURRENT_LIST_DIR}/../make_tests_bundle.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/unpack_archive.cmake")

# Test programs and the host's runs that run-tests.cmd /quick counts.
set(quick_runs 18)
set(failures "")

execute_process(COMMAND ${PYTHON3} "${PE_MANIFEST}" --zip "${bundle_output}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  string(APPEND failures "application manifests (${rc}):\n${out}")
endif()

unpack_archive("${bundle_output}" unpacked)
set(folder "${unpacked}/tests & more")
file(RENAME "${unpacked}/wareseek-${VERSION}-tests" "${folder}")

foreach(needed run-tests.cmd tests-bin/wareseek_unit_tests.exe tests-bin/wareseek_test_runner.exe
    tests-bin/wareseek_sleeper.exe tests-bin/wareseek_recording_download.dll
    tests-bin/signed-catalogues/catalogue.xml.sig tests-bin/tls-certificates/authority.der
    stage/wareseek.dll stage/zqdownload.dll stage/wareseek-host.exe
    stage/ProductCfg/SMBPlugins_x86.xml stage/ProductCfg/SMBPlugins_x64.xml stage/ProductCfg/ProductCfg.ini
    stage/config/reporttempl.xml)
  if(NOT EXISTS "${folder}/${needed}")
    string(APPEND failures "the bundle lacks ${needed}\n")
  endif()
endforeach()
file(GLOB keys "${folder}/tests-bin/tls-certificates/*.key")
if(keys)
  string(APPEND failures "the bundle carries private keys: ${keys}\n")
endif()

# wine(PREFIX OUT_VAR COMMAND...) runs a command in a prefix; OUT_VAR gets its
# output, CR LF as LF.
function(wine prefix out_var)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env "WARESEEK_WINE_PREFIX=${prefix}" "${EMULATOR}" ${ARGN}
    WORKING_DIRECTORY "${unpacked}" OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r\n" "\n" out "${out}")
  set(${out_var} "${out}${err}" PARENT_SCOPE)
endfunction()

# The switch and the log, as 32-bit programs see them in either prefix.
set(switch_key "HKLM\\Software\\Quillmoor")
set(note_key "HKLM\\Software\\WareseekTests\\debug-log")
set(log "%PUBLIC%\\Documents\\Quillmoor\\log\\wareseek.log")
string(REPLACE "/" "\\" writer "Z:${folder}/tests-bin/wareseek_log_writer.exe")
function(set_switch prefix value)
  wine(${prefix} ignored reg add "${switch_key}" /v debug /d "${value}" /f /reg:32)
endfunction()
function(switch_of prefix out_var)
  wine(${prefix} out reg query "${switch_key}" /v debug /reg:32)
  string(REGEX MATCH "REG_SZ +([^\n]*)" found "${out}")
  set(${out_var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()
# Copies the prefix's log to FILE (nothing when there is none). Wine quotes an
# argument with spaces and escapes quotes within it, which cmd does not read:
# these commands go without quotes, so FILE's path must hold no space.
function(copy_log prefix file)
  file(REMOVE "${file}")
  string(REPLACE "/" "\\" target "Z:${file}")
  wine(${prefix} ignored cmd /c if exist ${log} copy /b ${log} ${target})
endfunction()
function(write_log prefix tag)
  set_switch(${prefix} 1)
  wine(${prefix} ignored "${writer}" "${tag}" 1)
endfunction()

function(plant_killed_run prefix)
  write_log(${prefix} killed)
  wine(${prefix} ignored reg add "${note_key}" /v switch /t REG_BINARY /d 30000000 /f /reg:32)
  wine(${prefix} ignored reg add "${note_key}" /v switchType /t REG_DWORD /d 1 /f /reg:32)
  wine(${prefix} ignored reg add "${note_key}" /v complete /t REG_DWORD /d 1 /f /reg:32)
  wine(${prefix} ignored reg add "HKCU\\Software\\WareseekTests\\killed_1_0" /v x /d x /f)
  wine(${prefix} ignored cmd /c "mkdir %TEMP%\\wsk1_2_3 & echo x> %TEMP%\\wsk1_2_3\\f & mkdir %TEMP%\\wsk_mine")
endfunction()
function(check_killed_run_undone prefix)
  switch_of(${prefix} value)
  copy_log(${prefix} "${unpacked}/${prefix}-after.log")
  wine(${prefix} keys reg query "HKCU\\Software\\WareseekTests")
  wine(${prefix} ours cmd /c "if exist %TEMP%\\wsk1_2_3 echo ours-left")
  wine(${prefix} mine cmd /c "if exist %TEMP%\\wsk_mine echo mine-kept")
  set(folders "${ours}${mine}")
  set(found "switch '${value}', log ${prefix}-after.log")
  if(EXISTS "${unpacked}/${prefix}-after.log")
    string(APPEND found " left")
  endif()
  if(NOT value STREQUAL "0" OR EXISTS "${unpacked}/${prefix}-after.log" OR keys MATCHES "killed_1_0"
      OR folders MATCHES "ours-left" OR NOT folders MATCHES "mine-kept")
    string(APPEND failures "${prefix}: the killed run's leftovers not undone exactly: ${found}, keys '${keys}', "
      "folders '${folders}'\n")
    set(failures "${failures}" PARENT_SCOPE)
  endif()
endfunction()

function(plant_product prefix)
  write_log(${prefix} person)
  set_switch(${prefix} 0)
  copy_log(${prefix} "${unpacked}/${prefix}-before.log")
endfunction()
function(check_product_kept prefix)
  switch_of(${prefix} value)
  copy_log(${prefix} "${unpacked}/${prefix}-after.log")
  file(SHA256 "${unpacked}/${prefix}-before.log" before)
  set(after "")
  if(EXISTS "${unpacked}/${prefix}-after.log")
    file(SHA256 "${unpacked}/${prefix}-after.log" after)
  endif()
  if(NOT value STREQUAL "0" OR NOT before STREQUAL after)
    string(APPEND failures "${prefix}: the PC's switch ('${value}') or log changed\n")
    set(failures "${failures}" PARENT_SCOPE)
  endif()
endfunction()

# Leaves the prefix as the project's other tests want it: no switch, no log.
function(clean_prefix prefix)
  wine(${prefix} ignored reg delete "${switch_key}" /f /reg:32)
  wine(${prefix} ignored reg delete "HKLM\\Software\\WareseekTests" /f /reg:32)
  wine(${prefix} ignored cmd /c "del ${log} & rmdir %PUBLIC%\\Documents\\Quillmoor\\log & rmdir %PUBLIC%\\Documents\\Quillmoor & rmdir %TEMP%\\wsk_mine")
endfunction()

# run-tests.cmd by its full path, called from a script of its own, since the
# "&" in it needs the quotes that Wine's command line would escape.
string(REPLACE "/" "\\" script "Z:${folder}/run-tests.cmd")
file(WRITE "${unpacked}/call-bundle.cmd" "@echo off\r\ncall \"${script}\" /quick\r\nexit /b %errorlevel%\r\n")
string(REPLACE "/" "\\" caller "Z:${unpacked}/call-bundle.cmd")

foreach(prefix win32 win64)
  clean_prefix(${prefix})
  if(prefix STREQUAL "win32")
    plant_killed_run(${prefix})
  else()
    plant_product(${prefix})
  endif()
  file(REMOVE "${folder}/wareseek-test-results-elevated.txt")
  string(TIMESTAMP start "%s")
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env "WARESEEK_WINE_PREFIX=${prefix}" "${EMULATOR}" cmd /c "${caller}"
    WORKING_DIRECTORY "${unpacked}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(TIMESTAMP end "%s")
  math(EXPR seconds "${end} - ${start}")
  string(REPLACE "\r\n" "\n" out "${out}")
  message("${prefix}: exit code ${rc} after ${seconds} s\n--- stdout\n${out}--- stderr\n${err}---")
  if(prefix STREQUAL "win32")
    check_killed_run_undone(${prefix})
  else()
    check_product_kept(${prefix})
  endif()
  clean_prefix(${prefix})

  string(REGEX MATCH "[^\n]*\n*$" last "${out}")
  string(STRIP "${last}" last)
  set(counted 0)
  if(last MATCHES "^([0-9]+) passed, ([0-9]+) failed, ([0-9]+) skipped$")
    math(EXPR counted "${CMAKE_MATCH_1} + ${CMAKE_MATCH_2} + ${CMAKE_MATCH_3}")
    set(failed "${CMAKE_MATCH_2}")
  endif()
  if(NOT rc EQUAL 0 OR NOT counted EQUAL quick_runs OR NOT failed EQUAL 0)
    string(APPEND failures "${prefix}: exit code ${rc}, closing line '${last}', expected "
      "'N passed, 0 failed, N skipped' counting ${quick_runs} runs\n")
  endif()
  if(NOT out MATCHES "\nElevated: (yes|no)")
    string(APPEND failures "${prefix}: no line saying whether it runs elevated\n")
  endif()
  if(NOT EXISTS "${folder}/wareseek-test-results-elevated.txt")
    string(APPEND failures "${prefix}: no results file beside run-tests.cmd\n")
  endif()
  if(prefix STREQUAL "win64" AND NOT out MATCHES "this PC has a debug log of its own")
    string(APPEND failures "${prefix}: the log tests did not say they left the PC's log alone\n")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
