# unpack_archive(ARCHIVE FOLDER_VAR): unpacks ARCHIVE into a fresh folder
# beside it (ARCHIVE.unpacked) and sets FOLDER_VAR to that folder; stops the
# check when the archive cannot be unpacked.
function(unpack_archive archive folder_var)
  get_filename_component(unpacked "${archive}.unpacked" ABSOLUTE)
  file(REMOVE_RECURSE "${unpacked}")
  file(MAKE_DIRECTORY "${unpacked}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${archive}" WORKING_DIRECTORY "${unpacked}"
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot unpack ${archive}")
  endif()
  set(${folder_var} "${unpacked}" PARENT_SCOPE)
endfunction()
