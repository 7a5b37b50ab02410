# Builds the release zip: a folder wareseek-<VERSION>/ holding the staged
# binaries, the shipped catalogues and template, the public headers, the host
# guide and SHA256SUMS.
#   cmake -DSTAGE_DIR=build/stage -DSOURCE_DIR=. -DVERSION=1.0.0
#         -DOUTPUT=build/wareseek-1.0.0-win32.zip -P release/make_package.cmake
# Used by scripts/package (through the release_zip target) and by the
# package test, which includes it with the same variables.
cmake_minimum_required(VERSION 3.20)
foreach(required STAGE_DIR SOURCE_DIR VERSION OUTPUT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "make_package.cmake needs -D${required}=...")
  endif()
endforeach()

get_filename_component(package_output "${OUTPUT}" ABSOLUTE)
set(package_top "wareseek-${VERSION}")
set(package_work "${package_output}.contents")
set(package_files "")  # archive order, relative to the top folder

# Copies source to <top>/relative and records it in archive order.
function(package_add source relative)
  if(NOT EXISTS "${source}")
    message(FATAL_ERROR "package: ${source} is missing (run scripts/build first)")
  endif()
  get_filename_component(folder "${package_work}/${package_top}/${relative}" DIRECTORY)
  file(COPY "${source}" DESTINATION "${folder}")
  set(package_files ${package_files} "${relative}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${package_work}")
foreach(staged wareseek.dll zqdownload.dll wareseek-host.exe)
  package_add("${STAGE_DIR}/${staged}" "${staged}")
endforeach()
# The data files come from the sources, not the stage: running the staged
# host may rewrite them (a download replaces the catalogue, scripts/demo
# --download points ProductCfg.ini at a local server while it runs).
foreach(sample ProductCfg/SMBPlugins_x86.xml ProductCfg/SMBPlugins_x64.xml ProductCfg/ProductCfg.ini
    config/reporttempl.xml)
  package_add("${SOURCE_DIR}/samples/${sample}" "${sample}")
endforeach()
foreach(header plugin_api.h download_api.h)
  package_add("${SOURCE_DIR}/include/wareseek/${header}" "include/wareseek/${header}")
endforeach()
package_add("${SOURCE_DIR}/release/HOST-GUIDE.md" "HOST-GUIDE.md")

# sha256sum's format, checked inside the top folder: sha256sum -c SHA256SUMS
set(sums "")
foreach(relative ${package_files})
  file(SHA256 "${package_work}/${package_top}/${relative}" hash)
  string(APPEND sums "${hash}  ${relative}\n")
endforeach()
file(WRITE "${package_work}/${package_top}/SHA256SUMS" "${sums}")
list(APPEND package_files SHA256SUMS)

# Files are named one by one, so the archive lists them in this fixed order.
list(TRANSFORM package_files PREPEND "${package_top}/" OUTPUT_VARIABLE archive_paths)
get_filename_component(output_folder "${package_output}" DIRECTORY)
file(MAKE_DIRECTORY "${output_folder}")
file(REMOVE "${package_output}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${package_output}" --format=zip ${archive_paths}
  WORKING_DIRECTORY "${package_work}" RESULT_VARIABLE tar_result)
file(REMOVE_RECURSE "${package_work}")
if(NOT tar_result EQUAL 0)
  message(FATAL_ERROR "package: writing ${package_output} failed (${tar_result})")
endif()
message(STATUS "Wrote ${package_output}")
