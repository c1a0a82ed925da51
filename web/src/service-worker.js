// The page's service worker: it keeps every file of the site in a cache
// named after the build, so that the page, the engine and its book load
// without a network after the first visit. The build writes the version
// and the file list in place of the two markers below.
//   install   caches every file of this build (all or nothing)
//   activate  drops the caches of earlier builds and takes over open pages
//   fetch     answers from the cache first, the network otherwise
// Every answer it gives carries the cross-origin isolation headers, so a
// host that cannot send them still gets an isolated page (shared memory
// with the engine) from the second load on.
const VERSION = '__TORLO_BUILD_VERSION__';
const FILES = __TORLO_BUILD_FILES__;
const CACHE = `torlo-${VERSION}`;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith('torlo-') && n !== CACHE).map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

function isolated(response) {
  if (!response || response.type === 'opaque' || response.status === 0) return response;
  const headers = new Headers(response.headers);
  headers.set('Cross-Origin-Opener-Policy', 'same-origin');
  headers.set('Cross-Origin-Embedder-Policy', 'require-corp');
  return new Response(response.body, { status: response.status, statusText: response.statusText, headers });
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(request, { ignoreSearch: true }))
    .then((hit) => hit || fetch(request))
    .then(isolated));
});
