# The thread model of each binary.
#
# The project is configured with MinGW's posix variant, which GoogleTest and
# the tests' threads need. Linked statically, that variant carries the
# winpthreads library, which takes a thread-local storage slot when a DLL
# loads and never gives it back; a process has 1,088 slots, so a host that
# loads and frees such a DLL a thousand times dies. The shipped DLLs are
# therefore compiled and linked with the win32 variant, which links no thread
# library, and their code holds no compiler thread_local (whose slot is never
# given back either).

set(WARESEEK_WIN32_THREAD_MODEL_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/win32-thread-model)

# wareseek_use_win32_thread_model(target): build target with the win32 variant.
function(wareseek_use_win32_thread_model target)
  set_target_properties(${target} PROPERTIES
    C_COMPILER_LAUNCHER ${WARESEEK_WIN32_THREAD_MODEL_LAUNCHER}
    CXX_COMPILER_LAUNCHER ${WARESEEK_WIN32_THREAD_MODEL_LAUNCHER}
    C_LINKER_LAUNCHER ${WARESEEK_WIN32_THREAD_MODEL_LAUNCHER}
    CXX_LINKER_LAUNCHER ${WARESEEK_WIN32_THREAD_MODEL_LAUNCHER})
endfunction()

# wareseek_add_win32_twin(library): <library>_win32, the same static library
# built from the same sources with the win32 variant, for the shipped DLLs.
# Libraries it links that have twins are replaced by their twins. Call it in
# the folder that defines library, after its last target_* call.
function(wareseek_add_win32_twin library)
  set(twin ${library}_win32)
  get_target_property(sources ${library} SOURCES)
  add_library(${twin} STATIC ${sources})
  foreach(property INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES COMPILE_DEFINITIONS
          INTERFACE_COMPILE_DEFINITIONS COMPILE_OPTIONS)
    get_target_property(value ${library} ${property})
    if(value)
      set_property(TARGET ${twin} PROPERTY ${property} ${value})
    endif()
  endforeach()
  get_target_property(links ${library} LINK_LIBRARIES)
  if(NOT links)
    set(links "")
  endif()
  foreach(link IN LISTS links)
    if(TARGET ${link}_win32)
      set(link ${link}_win32)
    endif()
    target_link_libraries(${twin} PUBLIC ${link})
  endforeach()
  wareseek_use_win32_thread_model(${twin})
endfunction()
