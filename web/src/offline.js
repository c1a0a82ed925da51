// Offline use and installation: registers the service worker that keeps
// the whole site in the browser's cache (service-worker.js). Where service
// workers are unavailable (a page opened from a file, a browser without
// them) the page works as before, online only.
export function keepOffline() {
  if (!('serviceWorker' in navigator) || !window.isSecureContext) return;
  navigator.serviceWorker.register('service-worker.js').catch((error) => {
    console.warn(`The page will not work offline: ${error.message}`);
  });
}
