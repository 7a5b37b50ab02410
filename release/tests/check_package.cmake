# Makes the release zip with the packaging script, unpacks it and checks it:
# the exact file list in order, every SHA256SUMS line, binaries without a
# symbol table or debug sections, every program with the application
# manifest, and the unpacked host answering a QUERY with the unpacked module
# in both Wine prefixes.
#   the variables of make_package.cmake, and
#   FILE_VERSION   the four-part version the build gives the binaries
#   OBJDUMP        i686-w64-mingw32-objdump
#   EMULATOR       the Wine launcher (scripts/in-wine)
#   PYTHON3        the command that runs python3 (a list)
#   PE_MANIFEST    tests/pe_manifest.py
cmake_minimum_required(VERSION 3.20)

# Packs from a private copy of the stage whose data files a run has changed:
# the package must still hold the shipped ones.
get_filename_component(private_stage "${OUTPUT}.stage" ABSOLUTE)
file(REMOVE_RECURSE "${private_stage}")
file(COPY "${STAGE_DIR}/" DESTINATION "${private_stage}")
foreach(sample ProductCfg/SMBPlugins_x86.xml ProductCfg/SMBPlugins_x64.xml ProductCfg/ProductCfg.ini
    config/reporttempl.xml)
  file(WRITE "${private_stage}/${sample}" "changed by a run")
endforeach()
set(STAGE_DIR "${private_stage}")
include("${CMAKE_CURRENT_LIST_DIR}/../make_package.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/unpack_archive.cmake")

set(failures "")
set(top "wareseek-${VERSION}")
unpack_archive("${package_output}" unpacked)
set(folder "${unpacked}/${top}")

# The archive's list, in the archive's order, and nothing else unpacked.
set(expected wareseek.dll zqdownload.dll wareseek-host.exe
  ProductCfg/SMBPlugins_x86.xml ProductCfg/SMBPlugins_x64.xml ProductCfg/ProductCfg.ini
  config/reporttempl.xml include/wareseek/plugin_api.h include/wareseek/download_api.h
  HOST-GUIDE.md SHA256SUMS)
list(TRANSFORM expected PREPEND "${top}/")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar tf "${package_output}" OUTPUT_VARIABLE listed)
string(STRIP "${listed}" listed)
string(REPLACE "\n" ";" listed "${listed}")
file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE "${unpacked}" "${unpacked}/*")
list(SORT found)
set(expected_sorted ${expected})
list(SORT expected_sorted)
if(NOT listed STREQUAL expected OR NOT found STREQUAL expected_sorted)
  string(APPEND failures "archive lists '${listed}', unpacks '${found}', expected '${expected}'\n")
endif()

# One line per other file, each naming that file's digest.
file(STRINGS "${folder}/SHA256SUMS" sum_lines)
set(summed "")
foreach(line ${sum_lines})
  if(NOT line MATCHES "^([0-9a-f]+)  (.+)$")
    string(APPEND failures "SHA256SUMS line '${line}' is not '<hex>  <path>'\n")
    continue()
  endif()
  set(digest "${CMAKE_MATCH_1}")
  set(name "${CMAKE_MATCH_2}")
  list(APPEND summed "${top}/${name}")
  file(SHA256 "${folder}/${name}" actual)
  if(NOT actual STREQUAL digest)
    string(APPEND failures "SHA256SUMS: ${name} has ${actual}, listed ${digest}\n")
  endif()
endforeach()
set(all_but_sums ${expected})
list(REMOVE_ITEM all_but_sums "${top}/SHA256SUMS")
if(NOT summed STREQUAL all_but_sums)
  string(APPEND failures "SHA256SUMS covers '${summed}', expected '${all_but_sums}'\n")
endif()

foreach(sample ProductCfg/SMBPlugins_x86.xml ProductCfg/SMBPlugins_x64.xml ProductCfg/ProductCfg.ini
    config/reporttempl.xml)
  file(SHA256 "${SOURCE_DIR}/samples/${sample}" shipped)
  file(SHA256 "${folder}/${sample}" packed)
  if(NOT packed STREQUAL shipped)
    string(APPEND failures "${sample} is not the shipped sample\n")
  endif()
endforeach()

# Stripped: no debug sections, and an empty COFF symbol table.
foreach(binary wareseek.dll zqdownload.dll wareseek-host.exe)
  execute_process(COMMAND "${OBJDUMP}" -h -t "${folder}/${binary}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR dump MATCHES "\\.debug_" OR NOT dump MATCHES "SYMBOL TABLE:\nno symbols")
    string(APPEND failures "${binary} is not stripped\n")
  endif()
endforeach()

# Every program in the archive carries the application manifest.
execute_process(COMMAND ${PYTHON3} "${PE_MANIFEST}" --zip "${package_output}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  string(APPEND failures "application manifests (${rc}):\n${out}")
endif()

# The unpacked host loads the module beside it: its first line names that
# module and the build's version, then the sample catalogue is answered.
string(REPLACE "/" "\\" module_path "Z:${folder}/wareseek.dll")
set(first_line "Module: ${module_path} (version ${FILE_VERSION})")
foreach(prefix win32 win64)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env "WARESEEK_WINE_PREFIX=${prefix}"
      "${EMULATOR}" "${folder}/wareseek-host.exe"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  message("${prefix}: exit code ${rc}\n--- stdout\n${out}--- stderr\n${err}---")
  string(REGEX MATCH "^[^\r\n]*" line "${out}")
  if(NOT rc EQUAL 0 OR NOT line STREQUAL first_line OR NOT out MATCHES "\n  [0-9]+ products?, [0-9]+ installed")
    string(APPEND failures "${prefix}: expected exit 0, first line '${first_line}' and a products summary\n")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
