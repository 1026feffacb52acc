# cmake -DBUILD_DIR=... -DWORK=... -DCONSUMER=... -DSUBDIRECTORY=... -DSOURCE=... -DEXAMPLE=...
#       -DGENERATOR=... -DCXX=... -P install_package.cmake
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " shown "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${shown}\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
# What is installed must be built (a no-op after a full build).
run(${CMAKE_COMMAND} --build ${BUILD_DIR} --target kavrin-chart kavrin_host)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

run(${prefix}/bin/kavrin-chart --version)
if(NOT run_output MATCHES "^kavrin-chart [0-9]+\\.[0-9]+\\.[0-9]+\n$")
  message(FATAL_ERROR "kavrin-chart --version printed '${run_output}'")
endif()

run(${CMAKE_COMMAND} -S ${CONSUMER} -B ${WORK}/consumer -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_CXX_COMPILER=${CXX} -DEXAMPLE=${EXAMPLE})
run(${CMAKE_COMMAND} --build ${WORK}/consumer)
run(${WORK}/consumer/example_host ${WORK}/out-cmake)
if(NOT EXISTS ${WORK}/out-cmake/example.bmp)
  message(FATAL_ERROR "the example built with find_package wrote no picture")
endif()

# Built as a part of another project, it adds no tests or benchmarks (configured only).
run(${CMAKE_COMMAND} -S ${SUBDIRECTORY} -B ${WORK}/subdirectory -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX}
    -DKAVRIN_SOURCE=${SOURCE} -DEXAMPLE=${EXAMPLE})

file(GLOB pc_file ${prefix}/lib*/pkgconfig/kavrin-line-chart.pc ${prefix}/lib/*/pkgconfig/kavrin-line-chart.pc)
if(NOT pc_file)
  message(FATAL_ERROR "no kavrin-line-chart.pc under ${prefix}")
endif()
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
run(pkg-config --cflags --libs kavrin-line-chart)
string(STRIP "${run_output}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
run(${CXX} ${EXAMPLE} ${flags} -o ${WORK}/example_pc)
run(${WORK}/example_pc ${WORK}/out-pc)
