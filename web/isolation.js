// Cross-origin isolation on any static host. The program's threads need
// shared memory, which the browser gives only to a page whose responses
// carry two headers (Cross-Origin-Opener-Policy: same-origin and
// Cross-Origin-Embedder-Policy: require-corp). A host that sends them needs
// nothing more; on any other host the page's service worker
// (service-worker.js) adds them, which takes effect from the next load, so
// the first visit reloads the page once. The worker is registered in both
// cases, since it also keeps the files for a start without a network.
// Where no service worker may run, the page says why it cannot start.
'use strict';

(() => {
  // Set before the one reload, cleared once the page is isolated: a page
  // still not isolated after its reload would only reload again.
  const reloadedKey = 'magpend-reloaded-for-isolation';

  function ShowUnsupported() {
    if (!crossOriginIsolated) document.getElementById('unsupported').hidden = false;
  }

  function ReloadOnce() {
    if (crossOriginIsolated) {
      sessionStorage.removeItem(reloadedKey);
    } else if (sessionStorage.getItem(reloadedKey)) {
      ShowUnsupported();
    } else {
      sessionStorage.setItem(reloadedKey, 'yes');
      // A navigation to the page's own address rather than
      // location.reload(), which Chromium ignores in a page that was
      // reloaded past the service worker (as DevTools reloads).
      location.replace(location.href);
    }
  }

  if (!('serviceWorker' in navigator)) {
    ShowUnsupported();
    return;
  }
  navigator.serviceWorker.register('service-worker.js')
    .then(() => navigator.serviceWorker.ready)
    .then(ReloadOnce, ShowUnsupported);
})();
