// Keeps the page's files, so that once loaded it works without a network.
// The version changes with every build of the page (make web), and the
// files of an older one are let go.
const version = "spulwerk-PAGEVERSION";
// The build puts in every file of the page.
const files = ["PAGEFILES"];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(version).then((cache) => cache.addAll(files)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name !== version).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The kept file first, the network only for what is not kept.
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(caches.match(event.request, { ignoreSearch: true }).then((kept) => kept || fetch(event.request)));
});
