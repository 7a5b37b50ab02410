# The application manifest every program carries (release/program.manifest,
# resource 1 of type RT_MANIFEST). Its requested execution level, asInvoker,
# keeps Windows from running the program under UAC file and registry
# virtualisation, where writes under Program Files or HKLM would silently land
# in the user's VirtualStore; its supportedOS entries keep Windows from
# treating the program as one written for Vista. DLLs need none: they run
# under the manifest of the program that loads them.
#
# Some MinGW-w64 toolchains link a default manifest (default-manifest.o) into
# every program; GNU ld then keeps this one and drops the default.
# shipped.manifests checks that each built program holds exactly this one.

set(WARESEEK_PROGRAM_MANIFEST ${PROJECT_SOURCE_DIR}/release/program.manifest)
set(WARESEEK_PROGRAM_MANIFEST_RC ${PROJECT_SOURCE_DIR}/release/program_manifest.rc)

# Call in the folder that defines the executable target.
function(wareseek_program_manifest target)
  target_sources(${target} PRIVATE ${WARESEEK_PROGRAM_MANIFEST_RC})
  # windres reads the manifest itself, out of sight of the dependency scan.
  set_source_files_properties(${WARESEEK_PROGRAM_MANIFEST_RC} PROPERTIES
    OBJECT_DEPENDS ${WARESEEK_PROGRAM_MANIFEST})
endfunction()
