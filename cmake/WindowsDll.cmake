# tiz.dll: named as the product loads it, exports under their decorated
# stdcall names from the module definition.
target_sources(tiz PRIVATE ${PROJECT_SOURCE_DIR}/AttributeStore/frame/tiz.def)
set_target_properties(tiz PROPERTIES PREFIX "" IMPORT_PREFIX "lib" IMPORT_SUFFIX ".dll.a")
