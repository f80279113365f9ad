# The fuzz build (-DOLCONN97_FUZZ=ON, with clang): only the libFuzzer
# targets of tests/fuzz/ and the readers they drive, nothing else of the
# project. scripts/fuzz configures it in build-fuzz/ and runs the targets.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "The fuzz build needs clang (CMAKE_CXX_COMPILER=clang++): "
                      "libFuzzer comes with clang's runtime")
endif()

set(OLCONN97_FUZZ_SANITIZERS address,undefined)
add_compile_options(-fsanitize=fuzzer-no-link,${OLCONN97_FUZZ_SANITIZERS}
  -fno-omit-frame-pointer -fno-sanitize-recover=all)

# The readers under test and what they use, as their own headers name it.
set(OLCONN97_FUZZED_SOURCES
  base/status.cpp base/strings.cpp base/utf8.cpp
  contact/call_data.cpp
  outside/jet/like.cpp outside/jet/text_fold.cpp
  outside/pim/filter.cpp outside/shell/clock.cpp
  outside/registry/reg_file.cpp outside/registry/reg_file_read.cpp
  outside/registry/reg_text.cpp outside/registry/registry.cpp
  outside/textres/po_catalog.cpp)
file(GLOB OLCONN97_FUZZED_VCARD_SOURCES ${CMAKE_SOURCE_DIR}/src/outside/pim/vcard/*.cpp)
list(TRANSFORM OLCONN97_FUZZED_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/src/)
set(OLCONN97_FUZZED_HOST_SOURCES json_text.cpp json_value.cpp netstring.cpp utf8_text.cpp)
list(TRANSFORM OLCONN97_FUZZED_HOST_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/tools/olconn97/)

set(OLCONN97_FUZZ_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz)
file(GLOB OLCONN97_FUZZ_TARGET_SOURCES ${OLCONN97_FUZZ_DIR}/*_fuzz.cpp)

# One static library: each target's link takes only what its entry reaches.
add_library(olconn97_fuzzed STATIC ${OLCONN97_FUZZED_SOURCES} ${OLCONN97_FUZZED_VCARD_SOURCES}
  ${OLCONN97_FUZZED_HOST_SOURCES} ${OLCONN97_FUZZ_TARGET_SOURCES}
  ${OLCONN97_FUZZ_DIR}/property_broken.cpp)
target_include_directories(olconn97_fuzzed PUBLIC
  ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR})
target_compile_options(olconn97_fuzzed PRIVATE ${OLCONN97_WARNINGS})

# target name -> entry function of tests/fuzz/fuzz_targets.h
set(OLCONN97_FUZZ_TARGETS
  vcard:VCardInput reg_file:RegFileInput like:LikeInput call_data:CallDataInput
  filter:FilterInput netstring:NetstringInput json:JsonInput po_catalog:PoCatalogInput)
foreach(pair IN LISTS OLCONN97_FUZZ_TARGETS)
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 name)
  list(GET pair 1 entry)
  add_executable(fuzz_${name} ${OLCONN97_FUZZ_DIR}/libfuzzer_entry.cpp)
  target_compile_definitions(fuzz_${name} PRIVATE OLCONN97_FUZZ_ENTRY=${entry})
  target_link_libraries(fuzz_${name} PRIVATE olconn97_fuzzed)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,${OLCONN97_FUZZ_SANITIZERS})
endforeach()
