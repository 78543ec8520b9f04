// Run in the document's head, before the page is first painted: whether the picture of the
// start shows in the picture's place from that first paint. It shows where the designer will
// draw that same frame: the browser offers WebAssembly and WebGL, and no design was kept for
// the tab (tab_copy.js keeps it under this name), which the designer draws instead. page.js
// takes it away at the first frame or with a notice.
(function () {
  var kept = null;
  try {
    kept = window.sessionStorage.getItem('korvath-designer-session');
  } catch (refused) {}
  if (kept === null && typeof WebAssembly == 'object' && typeof WebGLRenderingContext != 'undefined') {
    document.documentElement.classList.add('start-picture');
  }
})();
