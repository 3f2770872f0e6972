# Native build: the portable library, its tests, the bv7 command line,
# the benchmark and the fuzz targets.
enable_testing()
find_package(GTest REQUIRED)


file(GLOB_RECURSE NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*.cpp)
list(FILTER NATIVE_TEST_SOURCES EXCLUDE REGEX "/tests/win/")
add_executable(native_tests ${NATIVE_TEST_SOURCES})
target_link_libraries(native_tests PRIVATE bv7core GTest::gtest GTest::gtest_main)
target_include_directories(native_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(native_tests PRIVATE ${PROJECT_WARNINGS})
# Every test file includes GoogleTest: parsed once for all of them, it is a
# third less compile time for the tests under the sanitizers in make test.
target_precompile_headers(native_tests PRIVATE <gtest/gtest.h> <string> <vector> <cstdint>)
# In a unity build, the test files whose helpers share a short name with
# another file's (run, image, freshDir ...) are compiled on their own.
set(NATIVE_TESTS_ALONE cli/FrontEndsAgreeTest.cpp cli/KaloCommandTest.cpp cli/MessagesTest.cpp
    cli/NothingWrongAsGoodTest.cpp cli/PhoneFormatsTest.cpp hexdump/HexDumpStateTest.cpp tape/BlockRepairTest.cpp
    tape/RobustReaderTest.cpp tape/TapeScanTest.cpp cli/SavingTest.cpp cli/StreamsTest.cpp
    viewer/TextExportTest.cpp)
list(TRANSFORM NATIVE_TESTS_ALONE PREPEND ${CMAKE_SOURCE_DIR}/tests/)
set_source_files_properties(${NATIVE_TESTS_ALONE} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
# A fixture private to its file is, in a batch, private to a file that GCC
# takes for an included one, and it would warn about each of its tests.
target_compile_options(native_tests PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
add_test(NAME native_tests COMMAND native_tests)

# Recordings kept as FLAC, Ogg Vorbis, AIFF or W64 are read through libsndfile.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
# What phones save (AAC in M4A, Opus, Speex, AMR, GSM 6.10 in WAV, WMA) is
# read through FFmpeg's libraries where their headers are present; without
# them bv7 builds and reads what libsndfile reads.
pkg_check_modules(FFMPEG IMPORTED_TARGET libavformat libavcodec libswresample libavutil)
# bv7 record, play and devices talk to the desktop's sound server.
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse-simple libpulse)

# The commands of bv7 as a library: the program adds its dispatch (Main.cpp),
# the tests call the command functions in-process (tests/cli) and run the
# built program for the dispatch, whose path they get here.
file(GLOB CLI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cli/*.cpp)
list(REMOVE_ITEM CLI_SOURCES ${CMAKE_SOURCE_DIR}/cli/Main.cpp)
add_library(bv7cli STATIC ${CLI_SOURCES})
# The sound server's library is loaded only when a command talks to it (cli/PulseAudio.cpp).
target_include_directories(bv7cli PUBLIC ${PULSE_INCLUDE_DIRS})
target_link_libraries(bv7cli PUBLIC bv7core PkgConfig::SNDFILE ${CMAKE_DL_LIBS})
target_compile_definitions(bv7cli PUBLIC BV7_HAVE_SNDFILE BV7_HAVE_PULSE)
# Their headers only: the libraries are loaded when a file first needs them
# (cli/CodedSoundFile.cpp), not with every start of bv7.
if(FFMPEG_FOUND)
    target_include_directories(bv7cli PRIVATE ${FFMPEG_INCLUDE_DIRS})
    target_compile_definitions(bv7cli PUBLIC BV7_HAVE_FFMPEG)
endif()
target_compile_options(bv7cli PRIVATE ${PROJECT_WARNINGS})

add_executable(bv7 ${CMAKE_SOURCE_DIR}/cli/Main.cpp)
target_link_libraries(bv7 PRIVATE bv7cli)
target_compile_options(bv7 PRIVATE ${PROJECT_WARNINGS})

target_link_libraries(native_tests PRIVATE bv7cli PkgConfig::PULSE)
target_compile_definitions(native_tests PRIVATE BV7_PROGRAM="$<TARGET_FILE:bv7>")
add_dependencies(native_tests bv7)

add_executable(screen_bench ${CMAKE_SOURCE_DIR}/bench/screen/ScreenRepaintBench.cpp)
target_link_libraries(screen_bench PRIVATE bv7core)
target_compile_options(screen_bench PRIVATE ${PROJECT_WARNINGS})

# The recordings table reads lossy files as bv7 does, through its import; the
# tape-side table runs the built bv7 as a user runs it.
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
add_executable(bench ${BENCH_SOURCES})
target_link_libraries(bench PRIVATE bv7cli)
target_compile_definitions(bench PRIVATE BV7_PROGRAM="$<TARGET_FILE:bv7>")
add_dependencies(bench bv7)
target_compile_options(bench PRIVATE ${PROJECT_WARNINGS})

# Each fuzz/Fuzz*.cpp holds one LLVMFuzzerTestOneInput. With BV7_LIBFUZZER
# (clang) they are coverage-guided libFuzzer targets; otherwise fuzz/Driver.cpp
# runs them over a bounded stream of generated inputs.
file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/Fuzz*.cpp)
add_custom_target(fuzzers)
foreach(target_source ${FUZZ_TARGETS})
    get_filename_component(target_name ${target_source} NAME_WE)
    add_dependencies(fuzzers ${target_name})
    if(BV7_LIBFUZZER)
        add_executable(${target_name} ${target_source})
        target_compile_options(${target_name} PRIVATE -fsanitize=fuzzer)
        target_link_options(${target_name} PRIVATE -fsanitize=fuzzer)
    else()
        add_executable(${target_name} ${target_source} ${CMAKE_SOURCE_DIR}/fuzz/Driver.cpp)
    endif()
    target_link_libraries(${target_name} PRIVATE bv7core)
endforeach()
