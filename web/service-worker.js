// The page's own service worker. It gives every response of the page's
// files the two cross-origin isolation headers, so that the page has shared
// memory (and with it the program's threads) on a host that cannot send
// them, and it keeps the files, so that a page once loaded starts again
// without a network. scripts/build-web.sh fills in the version and the
// list of the page's files.
'use strict';

const cacheName = 'magpend-@MAGPEND_VERSION@';
const pageFiles = [@MAGPEND_PAGE_FILES@];

// The files are kept at once, before the first run needs them offline.
self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(cacheName)
    .then((cache) => cache.addAll(pageFiles))
    .then(() => self.skipWaiting()));
});

// Another version's files go.
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(names
    .filter((name) => name.startsWith('magpend-') && name !== cacheName)
    .map((name) => caches.delete(name)))));
});

// The response as the host sent it, with the two headers added.
function Isolated(response) {
  const headers = new Headers(response.headers);
  headers.set('Cross-Origin-Opener-Policy', 'same-origin');
  headers.set('Cross-Origin-Embedder-Policy', 'require-corp');
  return new Response(response.body,
                      { status: response.status, statusText: response.statusText, headers });
}

// The network's answer, which also renews the kept copy; the kept copy when
// there is no network.
async function Fetched(request) {
  const cache = await caches.open(cacheName);
  let response;
  try {
    response = await fetch(request);
  } catch (error) {
    response = await cache.match(request, { ignoreSearch: true });
    if (!response) throw error;
    return Isolated(response);
  }
  if (response.status === 200) await cache.put(request, response.clone());
  return Isolated(response);
}

// Only the page's own files: requests to other origins are left alone.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(Fetched(request));
});
