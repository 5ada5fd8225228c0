# Writes the man page of one program with help2man, at install time:
#   cmake -DHELP2MAN=... -DPROGRAM=<path> -DNAME="<one line>" -DOUTPUT=<file.1> -P man_page.cmake
# For quarvel-cli the help of every subcommand goes into a SUBCOMMANDS section.
execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed")
endif()
set(include_option "")
string(REGEX MATCH "Subcommands:\n(.*)" listing "${help}")
if(listing)
  set(include_file "${OUTPUT}.include")
  set(include_option "--include=${include_file}")
  file(WRITE "${include_file}" "[SUBCOMMANDS]\n")
  string(REGEX MATCHALL "\n  ([a-z-]+)" names "\n${CMAKE_MATCH_1}")
  foreach(entry ${names})
    string(STRIP "${entry}" name)
    execute_process(COMMAND "${PROGRAM}" ${name} --help OUTPUT_VARIABLE sub)
    # Lines that begin with a dot or a quote would be read as roff requests.
    string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" sub "${sub}")
    file(APPEND "${include_file}" ".SS ${name}\n.nf\n${sub}\n.fi\n")
  endforeach()
endif()
execute_process(
  COMMAND "${HELP2MAN}" --no-info "--name=${NAME}" ${include_option} "--output=${OUTPUT}"
          "${PROGRAM}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${PROGRAM}")
endif()
