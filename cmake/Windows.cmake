# Windows build: Spulwerk.exe, kalov.exe and the tests that drive their windows under Wine.
enable_language(RC)
enable_testing()

# Sources are UTF-8; the programs show Windows-1252.
set(WIN_FLAGS -fexec-charset=CP1252)
target_compile_options(bv7core PRIVATE ${WIN_FLAGS})
set(WIN_LINK -static -static-libgcc -static-libstdc++)
set(WIN_SYSTEM_LIBS comctl32 comdlg32 winmm uxtheme gdi32 user32 shell32 kernel32)

# The file layer replaces files with the system's own move (every program uses it).
set(SYSTEM_FILE_MOVE ${CMAKE_SOURCE_DIR}/shell/win/SystemFileMove.cpp)
target_sources(bv7core PRIVATE ${SYSTEM_FILE_MOVE})

function(win_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${PROJECT_WARNINGS} ${WIN_FLAGS})
    target_compile_definitions(${name} PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
endfunction()

# What both programs share: the message seam and the listing printer.
win_library(wincommon shell/win/Win32UserInterface.cpp hexdump/win/ListingPrinter.cpp)
target_link_libraries(wincommon PUBLIC bv7core ${WIN_SYSTEM_LIBS})

file(GLOB SPULWERK_GUI_SOURCES CONFIGURE_DEPENDS
    app/win/*.cpp shell/win/*.cpp sound/win/*.cpp chargen/win/*.cpp screen/win/*.cpp hexdump/win/*.cpp)
list(REMOVE_ITEM SPULWERK_GUI_SOURCES
    ${SYSTEM_FILE_MOVE}
    ${CMAKE_SOURCE_DIR}/app/win/SpulwerkMain.cpp
    ${CMAKE_SOURCE_DIR}/shell/win/Win32UserInterface.cpp
    ${CMAKE_SOURCE_DIR}/hexdump/win/ListingPrinter.cpp)
win_library(spulwerk_gui ${SPULWERK_GUI_SOURCES})
target_link_libraries(spulwerk_gui PUBLIC wincommon)

file(GLOB KALOV_GUI_SOURCES CONFIGURE_DEPENDS viewer/win/*.cpp)
list(REMOVE_ITEM KALOV_GUI_SOURCES ${CMAKE_SOURCE_DIR}/viewer/win/KalovMain.cpp)
win_library(kalov_gui ${KALOV_GUI_SOURCES})
target_link_libraries(kalov_gui PUBLIC wincommon)

# The test tone, WAVE resource 101, is written at build time by a small program
# for the build machine made of the portable sources that generate it.
set(GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(TEST_TONE ${GENERATED_DIR}/testtone.wav)
set(TEST_TONE_SOURCES cmake/MakeTestTone.cpp sound/TestTone.cpp tape/WavFile.cpp tape/AudioFormat.cpp
    shell/FileIo.cpp shell/CommonServices.cpp shell/StringTable.cpp shell/UserInterface.cpp
    shell/GlobalSettings.cpp shell/HexText.cpp)
list(TRANSFORM TEST_TONE_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
find_program(HOST_CXX NAMES c++ g++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
add_custom_command(OUTPUT ${TEST_TONE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${GENERATED_DIR}
    COMMAND ${HOST_CXX} -std=c++17 -O1 -I${CMAKE_SOURCE_DIR} ${TEST_TONE_SOURCES} -o ${GENERATED_DIR}/make-test-tone
    COMMAND ${GENERATED_DIR}/make-test-tone ${TEST_TONE}
    DEPENDS ${TEST_TONE_SOURCES} ${CMAKE_SOURCE_DIR}/sound/TestTone.h
    COMMENT "Test tone for WAVE resource 101")
add_custom_target(test_tone DEPENDS ${TEST_TONE})

set(SPULWERK_RC ${CMAKE_SOURCE_DIR}/resources/Spulwerk.rc)
set(KALOV_RC ${CMAKE_SOURCE_DIR}/resources/kalov.rc)

# The five character generator templates: text art in resources/chargen/,
# turned into "MYDATA" resources that Spulwerk.rc includes.
set(TEMPLATES_RC ${GENERATED_DIR}/Templates.rc)
file(GLOB TEMPLATE_ART CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/chargen/*.txt)
add_custom_command(OUTPUT ${TEMPLATES_RC}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${GENERATED_DIR}
    COMMAND ${CMAKE_COMMAND} -DART_DIR=${CMAKE_SOURCE_DIR}/resources/chargen -DOUTPUT=${TEMPLATES_RC}
            -P ${CMAKE_SOURCE_DIR}/cmake/TemplateArt.cmake
    DEPENDS ${TEMPLATE_ART} ${CMAKE_SOURCE_DIR}/cmake/TemplateArt.cmake
    COMMENT "Character generator templates from their text art")
add_custom_target(chargen_templates DEPENDS ${TEMPLATES_RC})

set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR} -I${CMAKE_SOURCE_DIR}/resources -I${GENERATED_DIR}")
file(GLOB_RECURSE RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
set_source_files_properties(${SPULWERK_RC} PROPERTIES OBJECT_DEPENDS "${RESOURCE_FILES};${TEMPLATES_RC}")
set_source_files_properties(${KALOV_RC} PROPERTIES OBJECT_DEPENDS "${RESOURCE_FILES}")
set_property(SOURCE ${SPULWERK_RC} APPEND PROPERTY OBJECT_DEPENDS ${TEST_TONE})

function(win_program name entry rc gui)
    add_executable(${name} WIN32 ${entry} ${rc})
    target_compile_options(${name} PRIVATE ${PROJECT_WARNINGS} ${WIN_FLAGS})
    target_link_libraries(${name} PRIVATE ${gui})
    target_link_options(${name} PRIVATE ${WIN_LINK})
endfunction()

win_program(Spulwerk app/win/SpulwerkMain.cpp ${SPULWERK_RC} spulwerk_gui)
add_dependencies(Spulwerk chargen_templates)
add_dependencies(Spulwerk test_tone)
win_program(kalov viewer/win/KalovMain.cpp ${KALOV_RC} kalov_gui)

# bv7.exe: the command line as a Windows console program.
file(GLOB CLI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cli/*.cpp)
add_executable(bv7 ${CLI_SOURCES})
target_link_libraries(bv7 PRIVATE bv7core)
target_compile_options(bv7 PRIVATE ${PROJECT_WARNINGS} ${WIN_FLAGS})
target_link_options(bv7 PRIVATE ${WIN_LINK})

# GoogleTest, cross-built from Debian's sources.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB WIN_TEST_COMMON CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/common/*.cpp)
function(win_tests name rc gui)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/${ARGN}/*.cpp)
    add_executable(${name} ${sources} ${WIN_TEST_COMMON} ${rc})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/win)
    target_compile_options(${name} PRIVATE ${PROJECT_WARNINGS} ${WIN_FLAGS})
    target_link_libraries(${name} PRIVATE ${gui} gtest gtest_main)
    target_link_options(${name} PRIVATE ${WIN_LINK})
    # A fixture private to its file is, in a unity build's batch, private to
    # a file that GCC takes for an included one: it would warn about each test.
    target_compile_options(${name} PRIVATE -Wno-subobject-linkage)
endfunction()

win_tests(spulwerk_wintests ${SPULWERK_RC} spulwerk_gui spulwerk)
# Its helpers for the status bar and the buttons bear the names of the
# designer's test beside it: compiled on its own in a unity build.
set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/win/spulwerk/ExchangeDialogTest.cpp
    PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
add_dependencies(spulwerk_wintests chargen_templates)
add_dependencies(spulwerk_wintests test_tone)
win_tests(kalov_wintests ${KALOV_RC} kalov_gui kalov)
