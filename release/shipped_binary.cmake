# What every shipped binary gets: a version resource made from the project's
# one version number, the application manifest when it is a program, and a
# stripped file in the stage with the unstripped link output kept in
# build/unstripped/ for debugging.

include(${PROJECT_SOURCE_DIR}/cmake/program_manifest.cmake)

# The four-part form Windows shows, and the comma form VERSIONINFO wants.
set(WARESEEK_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
string(REPLACE "." "," WARESEEK_VERSION_COMMAS "${WARESEEK_FILE_VERSION}")
set(WARESEEK_COMPANY "Quillmoor")
set(WARESEEK_UNSTRIPPED_DIR ${CMAKE_BINARY_DIR}/unstripped)

if(NOT CMAKE_STRIP)
  message(FATAL_ERROR "no strip program found for the toolchain (i686-w64-mingw32-strip)")
endif()

# wareseek_ship(target "file description"): call in the folder that defines
# the target, since post-build steps can only be added there.
function(wareseek_ship target description)
  get_target_property(type ${target} TYPE)
  get_target_property(output_name ${target} OUTPUT_NAME)
  if(NOT output_name)
    set(output_name ${target})
  endif()
  if(type STREQUAL "EXECUTABLE")
    set(ship_file_type VFT_APP)
    set(ship_file_name "${output_name}.exe")
    wareseek_program_manifest(${target})
  else()
    set(ship_file_type VFT_DLL)
    set(ship_file_name "${output_name}.dll")
  endif()
  set(ship_description "${description}")
  set(ship_internal_name "${output_name}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/release/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})

  # Stripped in place, so the stage and every $<TARGET_FILE:...> a test copies
  # are the shipped bytes.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${WARESEEK_UNSTRIPPED_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${WARESEEK_UNSTRIPPED_DIR}/
    COMMAND ${CMAKE_STRIP} --strip-all $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
