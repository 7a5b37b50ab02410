# Builds the test bundle for Windows PCs: a folder wareseek-<VERSION>-tests/
# holding run-tests.cmd, every test program with its helpers in tests-bin\,
# and in stage\ the staged binaries with the shipped catalogues and template,
# the layout the test programs find their data in (..\stage from their own
# folder), so the bundle runs from any folder.
#   cmake -DSTAGE_DIR=build/stage -DTESTS_BIN=build/tests-bin -DSOURCE_DIR=.
#         -DVERSION=1.0.0 -DOUTPUT=build/wareseek-1.0.0-tests-win32.zip
#         -P release/make_tests_bundle.cmake
# Used by scripts/package (through the tests_zip target) and by the bundle test.
cmake_minimum_required(VERSION 3.20)
foreach(required STAGE_DIR TESTS_BIN SOURCE_DIR VERSION OUTPUT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "make_tests_bundle.cmake needs -D${required}=...")
  endif()
endforeach()

get_filename_component(bundle_output "${OUTPUT}" ABSOLUTE)
set(bundle_top "wareseek-${VERSION}-tests")
set(bundle_work "${bundle_output}.contents")
file(REMOVE_RECURSE "${bundle_work}")
set(top "${bundle_work}/${bundle_top}")

file(GLOB test_binaries "${TESTS_BIN}/*.exe" "${TESTS_BIN}/*.dll")
if(NOT test_binaries)
  message(FATAL_ERROR "tests bundle: no test programs in ${TESTS_BIN} (run scripts/build first)")
endif()
file(COPY ${test_binaries} DESTINATION "${top}/tests-bin")
# The keys and signed catalogues the signature tests read.
if(NOT EXISTS "${TESTS_BIN}/signed-catalogues/catalogue.xml.sig")
  message(FATAL_ERROR "tests bundle: ${TESTS_BIN}/signed-catalogues is missing (run scripts/build first)")
endif()
file(COPY "${TESTS_BIN}/signed-catalogues" DESTINATION "${top}/tests-bin")
# The certificates the chain check reads; never their keys.
file(COPY "${TESTS_BIN}/tls-certificates" DESTINATION "${top}/tests-bin" FILES_MATCHING PATTERN "*.der")
foreach(staged wareseek.dll zqdownload.dll wareseek-host.exe)
  if(NOT EXISTS "${STAGE_DIR}/${staged}")
    message(FATAL_ERROR "tests bundle: ${STAGE_DIR}/${staged} is missing (run scripts/build first)")
  endif()
  file(COPY "${STAGE_DIR}/${staged}" DESTINATION "${top}/stage")
endforeach()
# The data files come from the sources: runs may have changed the staged ones.
file(COPY "${SOURCE_DIR}/samples/ProductCfg" "${SOURCE_DIR}/samples/config" DESTINATION "${top}/stage")
# Windows' cmd wants CR LF line ends.
file(READ "${CMAKE_CURRENT_LIST_DIR}/run-tests.cmd" script)
string(REPLACE "\r\n" "\n" script "${script}")
string(REPLACE "\n" "\r\n" script "${script}")
file(WRITE "${top}/run-tests.cmd" "${script}")

get_filename_component(output_folder "${bundle_output}" DIRECTORY)
file(MAKE_DIRECTORY "${output_folder}")
file(REMOVE "${bundle_output}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${bundle_output}" --format=zip "${bundle_top}"
  WORKING_DIRECTORY "${bundle_work}" RESULT_VARIABLE tar_result)
file(REMOVE_RECURSE "${bundle_work}")
if(NOT tar_result EQUAL 0)
  message(FATAL_ERROR "tests bundle: writing ${bundle_output} failed (${tar_result})")
endif()
message(STATUS "Wrote ${bundle_output}")
