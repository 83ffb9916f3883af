# tiz.dll: named as the product loads it, exports under their decorated
# stdcall names from the module definition (plain names in the 64-bit
# variant, cmake/WindowsDefFile.cmake).
tiz_windows_def(${PROJECT_SOURCE_DIR}/AttributeStore/frame/tiz.def tiz_def)
target_sources(tiz PRIVATE ${tiz_def})
set_target_properties(tiz PROPERTIES PREFIX "" IMPORT_PREFIX "lib" IMPORT_SUFFIX ".dll.a")
