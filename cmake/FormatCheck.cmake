# cmake -DCLANG_FORMAT=... -DGIT=... -DSOURCE_DIR=... -P FormatCheck.cmake
# Fails when a tracked C++ file differs from what clang-format makes of it.
execute_process(COMMAND ${GIT} ls-files -- *.cpp *.h
                WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_VARIABLE files OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE git_result)
if(NOT git_result EQUAL 0)
  message(FATAL_ERROR "git ls-files failed")
endif()
string(REPLACE "\n" ";" files "${files}")
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files}
                WORKING_DIRECTORY ${SOURCE_DIR}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "clang-format: files above need formatting (clang-format -i <file>)")
endif()
