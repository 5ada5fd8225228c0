# Test of cmake --install: into a scratch prefix, then the files a user expects are there, the
# installed command line runs and the installed Python module imports.
#   cmake -DBUILD=<build folder> [-DPYTHON=<python> -DPYTHON_MODULE_DIR=<dir>] -P install_test.cmake
string(RANDOM LENGTH 8 tag)
set(prefix "${BUILD}/install-test-${tag}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${prefix}"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
set(expected bin/quarvel bin/quarvel-cli share/applications/quarvel.desktop)
find_program(help2man help2man)
if(help2man)
  list(APPEND expected share/man/man1/quarvel.1 share/man/man1/quarvel-cli.1)
endif()
foreach(file ${expected})
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "cmake --install did not install ${file}")
  endif()
endforeach()
execute_process(COMMAND "${prefix}/bin/quarvel-cli" --version OUTPUT_VARIABLE version
                COMMAND_ERROR_IS_FATAL ANY)
if(NOT version MATCHES "^quarvel-cli [0-9]+\\.[0-9]+\\.[0-9]+")
  message(FATAL_ERROR "the installed quarvel-cli --version says: ${version}")
endif()
# The Python module (when built) goes into the prefix's site-packages and imports from there.
if(PYTHON_MODULE_DIR)
  file(GLOB module "${prefix}/${PYTHON_MODULE_DIR}/quarvel*.so")
  if(NOT module OR NOT EXISTS "${prefix}/${PYTHON_MODULE_DIR}/quarvel.pyi")
    message(FATAL_ERROR
            "cmake --install did not install the Python module into ${PYTHON_MODULE_DIR}")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env "PYTHONPATH=${prefix}/${PYTHON_MODULE_DIR}"
                          "${PYTHON}" -c "import quarvel; print(quarvel.__version__)"
                  OUTPUT_VARIABLE imported COMMAND_ERROR_IS_FATAL ANY)
  if(NOT imported MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+")
    message(FATAL_ERROR "the installed module's version says: ${imported}")
  endif()
endif()
file(REMOVE_RECURSE "${prefix}")
