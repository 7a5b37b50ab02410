# Runs wareseek-host.exe once through the Wine launcher and checks the outcome.
#   EMULATOR, HOST     launcher and program
#   HOST_ARGS          arguments, separated by "|"
#   EXPECT_RC          expected exit code
#   STDOUT_REGEX       optional: stdout must match
#   STDOUT_CONTAINS    optional: stdout must hold this literal text
#   STDOUT_FILE        optional: stdout must be this file's text (line ends aside)
#   STDERR_LINES       optional: exact number of stderr lines
#   WORKING_DIR        optional: the folder the program runs in
#   STAGE_DIR          optional: a folder prepared with MODULE beside
#                      ProductCfg\ made from CATALOGUE and config\ from
#                      TEMPLATE; "{module}" in HOST_ARGS becomes the
#                      module's Windows path there
#   PLANT, PLANT_AS    optional: the host runs from a copy in the fresh folder
#                      HOST_COPY_DIR, with the file PLANT beside it named
#                      PLANT_AS
cmake_minimum_required(VERSION 3.20)
string(REPLACE "|" ";" args "${HOST_ARGS}")

if(STAGE_DIR)
  file(REMOVE_RECURSE "${STAGE_DIR}")
  file(MAKE_DIRECTORY "${STAGE_DIR}/ProductCfg")
  configure_file("${TEMPLATE}" "${STAGE_DIR}/config/reporttempl.xml" COPYONLY)
  file(COPY "${MODULE}" DESTINATION "${STAGE_DIR}")
  # The module reads the _x64 name when it runs under WOW64.
  foreach(name SMBPlugins_x86.xml SMBPlugins_x64.xml)
    configure_file("${CATALOGUE}" "${STAGE_DIR}/ProductCfg/${name}" COPYONLY)
  endforeach()
  get_filename_component(module_name "${MODULE}" NAME)
  string(REPLACE "/" "\\" module_path "Z:${STAGE_DIR}/${module_name}")
  string(REPLACE "{module}" "${module_path}" args "${args}")
endif()

if(PLANT)
  file(REMOVE_RECURSE "${HOST_COPY_DIR}")
  file(COPY "${HOST}" DESTINATION "${HOST_COPY_DIR}")
  configure_file("${PLANT}" "${HOST_COPY_DIR}/${PLANT_AS}" COPYONLY)
  get_filename_component(host_name "${HOST}" NAME)
  set(HOST "${HOST_COPY_DIR}/${host_name}")
  # Wine prefers its own built-in library to a file of the same name beside
  # the program, which Windows loads: native first makes Wine do the same.
  get_filename_component(planted_name "${PLANT_AS}" NAME_WE)
  set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=;${planted_name}=n,b")
endif()

set(where "")
if(WORKING_DIR)
  set(where WORKING_DIRECTORY "${WORKING_DIR}")
endif()
execute_process(COMMAND "${EMULATOR}" "${HOST}" ${args} ${where}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("exit code: ${rc}\n--- stdout\n${out}--- stderr\n${err}---")

set(failures "")
if(NOT rc STREQUAL EXPECT_RC)
  string(APPEND failures "exit code ${rc}, expected ${EXPECT_RC}\n")
endif()
if(DEFINED STDOUT_REGEX AND NOT out MATCHES "${STDOUT_REGEX}")
  string(APPEND failures "stdout does not match '${STDOUT_REGEX}'\n")
endif()
if(DEFINED STDOUT_CONTAINS)
  string(FIND "${out}" "${STDOUT_CONTAINS}" at)
  if(at EQUAL -1)
    string(APPEND failures "stdout does not contain '${STDOUT_CONTAINS}'\n")
  endif()
endif()
if(DEFINED STDOUT_FILE)
  file(READ "${STDOUT_FILE}" expected)
  string(REPLACE "\r\n" "\n" actual "${out}")
  if(NOT actual STREQUAL expected)
    string(APPEND failures "stdout is not the text of ${STDOUT_FILE}\n")
  endif()
endif()
if(DEFINED STDERR_LINES)
  string(REGEX MATCHALL "\n" newlines "${err}")
  list(LENGTH newlines count)
  if(NOT count EQUAL STDERR_LINES)
    string(APPEND failures "${count} stderr lines, expected ${STDERR_LINES}\n")
  endif()
endif()
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
