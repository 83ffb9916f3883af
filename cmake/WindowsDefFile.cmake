# Module definition files for the Windows DLLs. They are written for 32-bit
# Windows, where stdcall names carry their argument byte count
# (TIZ_Create@4 == _TIZ_Create@4). On 64-bit Windows there is one calling
# convention and no decoration: the same functions are exported under their
# plain names, with the same ordinals and NONAME flags.

# tiz_windows_def(DEF OUT_VAR): the definition file to build with, DEF itself
# on 32-bit Windows, else an undecorated copy made at configure time.
function(tiz_windows_def def out_var)
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(${out_var} ${def} PARENT_SCOPE)
    return()
  endif()
  get_filename_component(name ${def} NAME)
  set(plain ${PROJECT_BINARY_DIR}/def-x64/${name})
  file(READ ${def} text)
  # "Name@16 == _Name@16" becomes "Name"; "Name@4 @551 NONAME" becomes
  # "Name @551 NONAME". The ordinal after a blank is kept.
  string(REGEX REPLACE " == [^ \n]+" "" text "${text}")
  string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" text "${text}")
  file(CONFIGURE OUTPUT ${plain} @ONLY
       CONTENT "; Made from ${def} for 64-bit Windows: plain names.\n${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  set(${out_var} ${plain} PARENT_SCOPE)
endfunction()
