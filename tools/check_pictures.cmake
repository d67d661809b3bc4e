# Renders the pictures into OUT_DIR and fails unless every file matches the
# committed copy in REF_DIR byte for byte, the 2x folder included (and
# neither side has extras).
foreach(var RENDER OUT_DIR REF_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_pictures: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${OUT_DIR}")
file(MAKE_DIRECTORY "${OUT_DIR}")
execute_process(COMMAND bash "${RENDER}" "${OUT_DIR}" "${REF_DIR}/src" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "check_pictures: renderpictures.sh failed (${rc})")
endif()

file(GLOB_RECURSE generated RELATIVE "${OUT_DIR}" "${OUT_DIR}/*")
file(GLOB_RECURSE committed RELATIVE "${REF_DIR}" "${REF_DIR}/*")
list(FILTER committed EXCLUDE REGEX "^src/")
list(SORT generated)
list(SORT committed)
if(generated STREQUAL "")
  message(FATAL_ERROR "check_pictures: renderpictures.sh wrote nothing")
endif()
if(NOT generated STREQUAL committed)
  message(FATAL_ERROR "check_pictures: file sets differ\n  generated: ${generated}\n  committed: ${committed}")
endif()

set(stale "")
foreach(name IN LISTS generated)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT_DIR}/${name}" "${REF_DIR}/${name}"
                  RESULT_VARIABLE differs OUTPUT_QUIET ERROR_QUIET)
  if(NOT differs EQUAL 0)
    list(APPEND stale "${name}")
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "check_pictures: out of date in assets/pictures: ${stale}\n"
                      "Render them anew with: tools/renderpictures.sh assets/pictures")
endif()
message(STATUS "check_pictures: ${generated} up to date")
