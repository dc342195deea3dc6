# Writes the manual page ascent.1 from the program's own help: help2man reads
# `ascent --help` and `ascent --version`, and a section COMMANDS, written here,
# holds the --help of every command that `ascent --help` lists, each option a
# tagged paragraph. Run as
#   cmake -DPROGRAM=bin/ascent -DHELP2MAN=help2man -DOUTPUT=ascent.1 -P write_man_page.cmake
foreach(variable PROGRAM HELP2MAN OUTPUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "write_man_page.cmake: -D${variable}=... is missing")
  endif()
endforeach()

function(help_of out)
  execute_process(COMMAND ${PROGRAM} ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "`${PROGRAM} ${command} --help` failed (${status})")
  endif()
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# Text as roff reads it literally: backslashes escaped, hyphens as minus
# signs (as help2man writes them, so that options can be searched for), no
# line taken for a request.
function(roff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  if(text MATCHES "^[.']")
    set(text "\\&${text}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The commands: the names under "Subcommands:" of the program's help.
help_of(main_help)
set(commands "")
set(in_commands FALSE)
foreach(line IN LISTS main_help)
  if(line MATCHES "^Subcommands:")
    set(in_commands TRUE)
  elseif(line MATCHES "^[^ ]")
    set(in_commands FALSE)
  elseif(in_commands AND line MATCHES "^  ([a-z][a-z0-9-]*)  ")
    list(APPEND commands ${CMAKE_MATCH_1})
  endif()
endforeach()
if(NOT commands)
  message(FATAL_ERROR "`${PROGRAM} --help` lists no commands under \"Subcommands:\"")
endif()

# CLI11's layout: an option in the first 30 columns and its description from
# column 30, or alone on its line when it is longer, the description on the
# lines below from column 30.
set(page "[COMMANDS]\n")
foreach(command IN LISTS commands)
  help_of(help ${command})
  string(APPEND page ".SS \"ascent ${command}\"\n")
  foreach(line IN LISTS help)
    string(LENGTH "${line}" length)
    if(line STREQUAL "")
      continue()
    elseif(line MATCHES "^[A-Za-z]+:$")
      string(APPEND page ".PP\n${line}\n")
    elseif(line MATCHES "^  [^ ]")
      set(option "${line}")
      set(description "")
      if(length GREATER 30)
        string(SUBSTRING "${line}" 29 1 gap)
        if(gap STREQUAL " ")
          string(SUBSTRING "${line}" 0 30 option)
          string(SUBSTRING "${line}" 30 -1 description)
        endif()
      endif()
      string(STRIP "${option}" option)
      roff(option "${option}")
      # The option's names in bold, its value as it is: "\fB\-\-thrust\fR FILE".
      string(REGEX REPLACE "(^|[ ,])((\\\\-)+[A-Za-z0-9][A-Za-z0-9\\\\-]*)" "\\1\\\\fB\\2\\\\fR"
                           option "${option}")
      string(APPEND page ".TP\n${option}\n")
      if(NOT description STREQUAL "")
        roff(description "${description}")
        string(APPEND page "${description}\n")
      endif()
    else()
      string(STRIP "${line}" line)
      roff(line "${line}")
      if(line MATCHES "^Usage: ")
        string(APPEND page ".PP\n")
      endif()
      string(APPEND page "${line}\n")
    endif()
  endforeach()
endforeach()

get_filename_component(directory "${OUTPUT}" DIRECTORY)
set(include_file "${directory}/ascent-commands.h2m")
file(WRITE "${include_file}" "${page}")
execute_process(
  COMMAND ${HELP2MAN} --no-info --section=1
          "--name=simulate the ascent of a three-stage launch vehicle into orbit"
          "--include=${include_file}" "--output=${OUTPUT}" ${PROGRAM}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed (${status}) on ${PROGRAM}")
endif()
