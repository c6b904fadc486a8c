# libFuzzer targets of the native build, built with clang (the build itself uses GCC) under
# AddressSanitizer and UBSan, and their bounded runs among the tests (tests/run-fuzzer.sh over
# a copy of the seeds).

find_program(OSTREL_CLANGXX NAMES clang++-14)
set(OSTREL_FUZZ_SECONDS 60 CACHE STRING "How long the test run fuzzes each fuzzer target")

# ostrel_add_fuzzer(NAME <file> TARGET <build target> TEST <test> SEEDS <folder>
#                   SOURCES <files> [INCLUDES <folders>] [LIBRARIES <files>]
#                   [OPTIONS <libFuzzer options for the test run>])
function(ostrel_add_fuzzer)
  cmake_parse_arguments(PARSE_ARGV 0 fuzz "" "NAME;TARGET;TEST;SEEDS"
                        "SOURCES;INCLUDES;LIBRARIES;OPTIONS")
  if(NOT OSTREL_CLANGXX)
    message(WARNING "clang++-14 not found: ${fuzz_NAME} is not built")
    return()
  endif()
  set(fuzzer ${CMAKE_CURRENT_BINARY_DIR}/${fuzz_NAME})
  list(TRANSFORM fuzz_INCLUDES PREPEND "-isystem")
  file(GLOB bass_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bass/*.h)
  add_custom_command(
    OUTPUT ${fuzzer}
    COMMAND ${OSTREL_CLANGXX} -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=undefined -I${PROJECT_SOURCE_DIR} ${fuzz_INCLUDES}
            ${fuzz_SOURCES} ${fuzz_LIBRARIES} -o ${fuzzer}
    DEPENDS ${fuzz_SOURCES} ${bass_headers} ${fuzz_LIBRARIES}
    COMMENT "Building ${fuzz_NAME} with clang"
    VERBATIM)
  add_custom_target(${fuzz_TARGET} ALL DEPENDS ${fuzzer})
  add_test(NAME ${fuzz_TEST}
           COMMAND ${PROJECT_SOURCE_DIR}/tests/run-fuzzer.sh ${fuzzer} ${fuzz_SEEDS}
                   ${CMAKE_CURRENT_BINARY_DIR}/fuzz-run ${OSTREL_FUZZ_SECONDS} ${fuzz_OPTIONS})
  set_tests_properties(${fuzz_TEST} PROPERTIES TIMEOUT 300)
endfunction()
