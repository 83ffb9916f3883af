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

# The same program built the ways the README's install section shows, each
# run from the scratch prefix, which is on no loader path: the rpath finds
# the library. `run_env` adds to the program's environment.
set(run_env)
function(build_and_run name)
  execute_process(COMMAND ${C_COMPILER} ${SOURCE_DIR}/tests/consumer/consumer.c ${ARGN}
                          -o ${WORK_DIR}/${name} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(rc)
    message(FATAL_ERROR "${name}: the build failed: ${ARGN}\n${err}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env ${run_env} ${WORK_DIR}/${name}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(rc OR NOT out MATCHES "value=42")
    message(FATAL_ERROR "${name}: the run failed: ${out}${err}")
  endif()
endfunction()

# pkg-config, as a Make or Meson project uses it, with and without --static
# (only the shared library is installed: the same flags).
set(ENV{PKG_CONFIG_PATH} ${WORK_DIR}/prefix/${LIBDIR}/pkgconfig)
execute_process(COMMAND pkg-config --variable=libdir tiz OUTPUT_VARIABLE libdir
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "pkg-config does not know tiz")
endif()
foreach(mode shared static)
  set(option)
  if(mode STREQUAL "static")
    set(option --static)
  endif()
  execute_process(COMMAND pkg-config ${option} --cflags --libs tiz OUTPUT_VARIABLE flags
                  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "pkg-config ${option} --cflags --libs tiz failed")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  build_and_run(consumer-pkgconfig-${mode} ${flags} -Wl,-rpath,${libdir})
endforeach()

# Plain flags.
set(prefix ${WORK_DIR}/prefix)
build_and_run(consumer-flags -I${prefix}/include -L${prefix}/${LIBDIR} -ltiz
              -Wl,-rpath,${prefix}/${LIBDIR})

# A product install: the runtime and development components only, with the
# product's own image, support and configuration libraries elsewhere (here
# the stand-ins, installed apart). The linker is shown where they are, and
# the loader finds them on its path: a program's rpath does not serve the
# libraries libtiz.so needs.
foreach(component runtime development)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/product
                          --component ${component} RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "install of ${component} failed")
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/productlibs
                        --component hostlibs RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "install of the stand-ins failed")
endif()
set(product ${WORK_DIR}/product/${LIBDIR})
set(productlibs ${WORK_DIR}/productlibs/${LIBDIR})
set(run_env LD_LIBRARY_PATH=${productlibs})
build_and_run(consumer-product -I${WORK_DIR}/product/include -L${product} -ltiz
              -Wl,-rpath,${product} -Wl,-rpath-link,${productlibs})
