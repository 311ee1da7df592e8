# Checks that every C++ file of the tree is laid out as .clang-format says.
# Run as: cmake -DSOURCE_DIR=... -DCLANG_FORMAT=... -P format_check.cmake
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/include/*.h
  ${SOURCE_DIR}/platform/*.cpp ${SOURCE_DIR}/platform/*.h
  ${SOURCE_DIR}/library/*.cpp ${SOURCE_DIR}/library/*.h
  ${SOURCE_DIR}/program/*.cpp ${SOURCE_DIR}/program/*.h
  ${SOURCE_DIR}/tools/*.cpp ${SOURCE_DIR}/tools/*.h
  ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h
  ${SOURCE_DIR}/bench/*.cpp ${SOURCE_DIR}/bench/*.h
  ${SOURCE_DIR}/fuzz/*.cpp ${SOURCE_DIR}/fuzz/*.h)
list(SORT files)
set(badly)
foreach(file IN LISTS files)
  execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${file}
    WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(NOT status EQUAL 0)
    list(APPEND badly ${file})
  endif()
endforeach()
if(badly)
  list(JOIN badly "\n  " shown)
  message(FATAL_ERROR "Not laid out as .clang-format says (run clang-format -i on them):\n  ${shown}")
endif()
list(LENGTH files count)
message(STATUS "${count} files laid out as .clang-format says")
