# Test of cmake --install: into a scratch prefix, then the files a user expects are there and
# the installed command line runs.   cmake -DBUILD=<build folder> -P install_test.cmake
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
file(REMOVE_RECURSE "${prefix}")
