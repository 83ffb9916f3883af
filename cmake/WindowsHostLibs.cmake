# The host-library stand-ins as the product's Windows DLLs: TALB310.dll,
# ORV310.dll and BrlConfigIO.dll. Each DLL's exports come from its module
# definition file, and the import library that the store links is made from
# that same file by dlltool, so the store imports exactly what the definition
# says (by ordinal where it says NONAME) and the product's real DLLs can take
# the stand-ins' place.

# target: the CMake target (talb310, ...); dll: the DLL's base name;
# def: the module definition file, relative to the current source directory.
# Sources and include directories: tiz_add_host_library (hostlibs/CMakeLists.txt).
function(tiz_add_windows_host_library target dll def)
  tiz_windows_def(${CMAKE_CURRENT_SOURCE_DIR}/${def} def_path)
  tiz_add_host_library(${target} ${def_path})
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${dll}
    IMPORT_PREFIX "lib"
    IMPORT_SUFFIX ".dll.a")
  # Replace the linker's import library with dlltool's, made from the
  # definition alone: what links against the stand-in would link the same way
  # against the product's DLL.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_DLLTOOL} --input-def ${def_path} --dllname ${dll}.dll
            --output-lib $<TARGET_LINKER_FILE:${target}>
    COMMENT "Import library for ${dll}.dll from ${def}"
    VERBATIM)
endfunction()

tiz_add_windows_host_library(talb310 TALB310 talb310/TALB310.def)
tiz_add_windows_host_library(orv310 ORV310 orv310/ORV310.def)
tiz_add_windows_host_library(brlconfigio BrlConfigIO brlconfigio/BrlConfigIO.def)
