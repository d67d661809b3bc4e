# Runs a copy of a test program from a directory deeper than MAX_PATH, with
# Cyrillic names, through the cross-compiling emulator: the program must find
# its own path and the files beside it there.
#   -DEXE=<program> -DDIR=<scratch dir> -DEMULATOR=<a|b|c> -DARGS=<a|b>
string(REPLACE "|" ";" emulator "${EMULATOR}")
string(REPLACE "|" ";" args "${ARGS}")
file(REMOVE_RECURSE "${DIR}")
set(deep "${DIR}")
foreach(i RANGE 1 10)
  string(APPEND deep "/каталог с длинным именем ${i}")
endforeach()
file(MAKE_DIRECTORY "${deep}")
file(COPY "${EXE}" DESTINATION "${deep}")
get_filename_component(name "${EXE}" NAME)
execute_process(COMMAND ${emulator} "${deep}/${name}" ${args} RESULT_VARIABLE rc)
file(REMOVE_RECURSE "${DIR}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${name} failed in a long path: ${rc}")
endif()
