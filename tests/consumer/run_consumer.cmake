# Installs the built library into a scratch prefix and builds a small program
# against it with find_package(tiz), as an outside project would.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "install failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer -B ${WORK_DIR}/build
                        -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "configure of the consumer failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "build of the consumer failed")
endif()
execute_process(COMMAND ${WORK_DIR}/build/consumer RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(rc OR NOT out MATCHES "value=42")
  message(FATAL_ERROR "consumer run failed: ${out}")
endif()

# The same program built the way a Make or Meson project would, with the
# flags pkg-config gives for the installed tiz.pc.
set(ENV{PKG_CONFIG_PATH} ${WORK_DIR}/prefix/${LIBDIR}/pkgconfig)
execute_process(COMMAND pkg-config --cflags --libs tiz OUTPUT_VARIABLE flags
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
execute_process(COMMAND pkg-config --variable=libdir tiz OUTPUT_VARIABLE libdir
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(rc)
  message(FATAL_ERROR "pkg-config does not know tiz")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
execute_process(COMMAND ${C_COMPILER} ${SOURCE_DIR}/tests/consumer/consumer.c ${flags}
                        -Wl,-rpath,${libdir} -o ${WORK_DIR}/consumer-pkgconfig
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "build with pkg-config flags failed: ${flags}")
endif()
execute_process(COMMAND ${WORK_DIR}/consumer-pkgconfig RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(rc OR NOT out MATCHES "value=42")
  message(FATAL_ERROR "pkg-config consumer run failed: ${out}")
endif()
