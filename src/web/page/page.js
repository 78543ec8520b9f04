// The page's start: the canvas the designer draws in. The designer's runtime is loaded only
// where the browser can run it; elsewhere, and when the browser takes the picture's graphics
// away, a short notice in the picture's place says what is missing and what to try.
var Module = {canvas: document.getElementById('canvas')};

var PageNotice = {
  // What the person reads, by what went wrong.
  texts: {
    webgl: {
      title: 'The designer cannot draw in this browser',
      what: 'This designer draws with WebGL, which this browser has turned off or does not offer.',
      tryThis: 'Try another browser, turn WebGL (or hardware acceleration) on in this browser\'s settings, ' +
        'or update the graphics driver.',
    },
    webassembly: {
      title: 'The designer cannot run in this browser',
      what: 'This designer runs as WebAssembly, which this browser has turned off or does not offer.',
      tryThis: 'Try another browser, or turn off the setting that blocks WebAssembly (some browsers call it ' +
        'a lockdown or enhanced security mode).',
    },
    start: {
      title: 'The designer could not start',
      what: 'Its files did not load, or this browser could not run them.',
      tryThis: 'Reload the page; if that does not help, try another browser.',
      reload: true,
    },
    lost: {
      title: 'The picture was lost',
      what: 'The browser took this page\'s graphics away, as it does after a graphics reset or when ' +
        'the device runs short of memory.',
      tryThis: 'The picture comes back by itself once the browser gives them back, or when you reload the page.',
      reload: true,
    },
  },

  // Shows the notice in place of the picture and its controls.
  show: function (kind) {
    var text = PageNotice.texts[kind], notice = document.getElementById('notice');
    notice.replaceChildren();
    [['h2', text.title], ['p', text.what], ['p', text.tryThis]].forEach(function (part) {
      var element = document.createElement(part[0]);
      element.textContent = part[1];
      notice.appendChild(element);
    });
    if (text.reload) {
      var button = document.createElement('button');
      button.type = 'button';
      button.textContent = 'Reload';
      button.addEventListener('click', function () { location.reload(); });
      notice.appendChild(button);
    }
    notice.dataset.kind = kind;
    notice.hidden = false;
    document.body.classList.add('stopped');
  },
};

// WebGL as the designer asks for it, tried on a canvas of its own: a browser may offer the
// interface and still refuse every context (a blocked driver, no display, WebGL turned off).
function canDrawWithWebGL() {
  if (typeof WebGLRenderingContext == 'undefined') return false;
  try {
    var gl = document.createElement('canvas').getContext('webgl', {alpha: false, antialias: false});
    return !!gl && !gl.isContextLost();
  } catch (refused) {
    return false;
  }
}

// The smallest WebAssembly module: its header.
function canRunWebAssembly() {
  try {
    return typeof WebAssembly == 'object' &&
      WebAssembly.validate(new Uint8Array([0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00]));
  } catch (refused) {
    return false;
  }
}

// A lost context is said at once; the browser is asked to give it back, and once it has, the
// page loads again and draws in it. Other listeners on the canvas hear of the loss too.
function watchContext(canvas) {
  canvas.addEventListener('webglcontextlost', function (event) {
    event.preventDefault();
    PageNotice.show('lost');
  });
  canvas.addEventListener('webglcontextrestored', function () { location.reload(); });
  canvas.addEventListener('webglcontextcreationerror', function () { PageNotice.show('webgl'); });
}

function startDesigner() {
  var missing = !canRunWebAssembly() ? 'webassembly' : !canDrawWithWebGL() ? 'webgl' : null;
  if (missing) {
    PageNotice.show(missing);
    return;
  }
  watchContext(Module.canvas);
  // A file that does not come, or a runtime that stops before the designer has started.
  function failed() {
    if (!Module.calledRun) PageNotice.show('start');
  }
  Module.onAbort = failed;
  window.addEventListener('error', failed);
  window.addEventListener('unhandledrejection', failed);
  var runtime = document.createElement('script');
  runtime.src = 'korvath-designer.js';
  runtime.addEventListener('error', failed);
  document.body.appendChild(runtime);
}

startDesigner();

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
