# cmake -DSOURCE=sw.js -DTARGET=build/web/sw.js -DDIR=build/web -P StampWorker.cmake:
# the service worker with its version set to a digest of the page's files,
# so that a phone that kept an older page takes the new one, and with the
# list of what it keeps: every file of the page beside it.
set(digest "")
set(kept "\"./\"")
file(GLOB names RELATIVE ${DIR} ${DIR}/*.html ${DIR}/*.js ${DIR}/*.mjs ${DIR}/*.wasm ${DIR}/*.css
     ${DIR}/*.webmanifest ${DIR}/*.svg)
list(REMOVE_ITEM names sw.js)
list(SORT names)
foreach(name ${names})
    file(MD5 ${DIR}/${name} one)
    string(APPEND digest ${one})
    string(APPEND kept ", \"${name}\"")
endforeach()
string(MD5 version "${digest}")
string(SUBSTRING ${version} 0 12 version)
file(READ ${SOURCE} worker)
string(REPLACE "PAGEVERSION" ${version} worker "${worker}")
string(REPLACE "\"PAGEFILES\"" "${kept}" worker "${worker}")
file(WRITE ${TARGET} "${worker}")
