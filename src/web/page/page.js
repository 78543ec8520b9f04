// The page's start: the canvas the designer draws in.
var Module = {canvas: document.getElementById('canvas')};

// Once the page has loaded, a service worker keeps this build of the site for the times
// without a network (service-worker.js, beside this page). Browsers have workers only on
// secure pages: over HTTPS, or from this machine.
if ('serviceWorker' in navigator) {
  window.addEventListener('load', function () {
    navigator.serviceWorker.register('service-worker.js').catch(function (error) {
      console.warn('The designer will not work offline: ' + error.message);
    });
  });
}
