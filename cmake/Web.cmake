# The page: the portable core compiled to WebAssembly with Debian's
# emscripten, behind bindings of its own (web/*Bindings.cpp, one a part of
# the page), and the page's files beside it in the build folder.
# The page links the core alone: what it shows of a reading and of bin2wav
# comes from the same portable code as bv7's lines (tape/SideReading.h,
# tape/ReadingReport.h, tape/BinRecording.h).
file(GLOB WEB_BINDINGS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/web/*.cpp)
add_executable(spulwerk_web ${WEB_BINDINGS})
target_link_libraries(spulwerk_web PRIVATE bv7core)
target_compile_options(spulwerk_web PRIVATE ${PROJECT_WARNINGS} -fexceptions)
target_compile_options(bv7core PRIVATE -fexceptions)
set_target_properties(spulwerk_web PROPERTIES OUTPUT_NAME spulwerk SUFFIX ".mjs")
target_link_options(spulwerk_web PRIVATE --bind -fexceptions -sMODULARIZE=1 -sEXPORT_ES6=1
    -sENVIRONMENT=web,worker -sALLOW_MEMORY_GROWTH=1 -sEXPORT_NAME=createCore)
# The page's own files, copied whenever one of them changes.
file(GLOB WEB_PAGE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/web/page/*)
list(REMOVE_ITEM WEB_PAGE_FILES ${CMAKE_SOURCE_DIR}/web/page/sw.js)
set(WEB_PAGE_COPIES "")
foreach(page_file ${WEB_PAGE_FILES})
    get_filename_component(page_name ${page_file} NAME)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${page_name}
        COMMAND ${CMAKE_COMMAND} -E copy ${page_file} ${CMAKE_BINARY_DIR}/${page_name}
        DEPENDS ${page_file})
    list(APPEND WEB_PAGE_COPIES ${CMAKE_BINARY_DIR}/${page_name})
endforeach()
add_custom_target(web_page DEPENDS ${WEB_PAGE_COPIES})
add_dependencies(spulwerk_web web_page)

# The service worker, stamped with the digest of what it keeps (every build).
add_custom_target(web_worker ALL
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR}/web/page/sw.js -DTARGET=${CMAKE_BINARY_DIR}/sw.js
            -DDIR=${CMAKE_BINARY_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/StampWorker.cmake)
add_dependencies(web_worker spulwerk_web)
