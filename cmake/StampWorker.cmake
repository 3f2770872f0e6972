# cmake -DSOURCE=sw.js -DTARGET=build/web/sw.js -DDIR=build/web -P StampWorker.cmake:
# the service worker with its version set to a digest of the page's files,
# so that a phone that kept an older page takes the new one.
set(digest "")
foreach(name index.html app.js style.css spulwerk.mjs spulwerk.wasm manifest.webmanifest icon.svg)
    file(MD5 ${DIR}/${name} one)
    string(APPEND digest ${one})
endforeach()
string(MD5 version "${digest}")
string(SUBSTRING ${version} 0 12 version)
file(READ ${SOURCE} worker)
string(REPLACE "PAGEVERSION" ${version} worker "${worker}")
file(WRITE ${TARGET} "${worker}")
