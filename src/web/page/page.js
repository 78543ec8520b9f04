// The page's start. The document asks for the picture of the start, then the designer's
// runtime (korvath-designer.js) and its WebAssembly as it is read, so all come while the page
// paints; the WebAssembly is compiled as it streams in. Once the page's text, buttons and the
// picture's place (showing the picture of the start) are on the screen, the designer's own
// canvas is asked for its WebGL context, the one the page keeps for its whole life, and the
// runtime runs and draws in it. Each step is a task of its own, so that the page answers
// meanwhile. Where the browser cannot run the designer, and when it takes the picture's
// graphics away, a short notice in the picture's place says what is missing and what to try.
// The runtime's side of the start is shell.js.
var Module = {
  canvas: document.getElementById('canvas'),

  // The drawing buffer a canvas box of this CSS size needs to be sharp on this screen: the
  // page sizes it so before it makes the context, and the designer's window (window.js) on
  // every change of size or density.
  devicePixels: function (cssPixels) {
    return Math.max(1, Math.round(cssPixels * (window.devicePixelRatio || 1)));
  },

  // The context the page makes, which the designer's glutCreateWindow then finds taken: no
  // alpha, no stencil and no antialiasing, over WebGL 1, as the designer's display mode (RGB,
  // double-buffered, with depth) asks. Made here, on the designer's canvas, it is the check
  // that the browser can draw: a browser may offer the interface and still refuse every
  // context (a blocked driver, no display, WebGL turned off).
  contextAttributes: {alpha: false, depth: true, stencil: false, antialias: false},
};

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
    StartPicture.remove();
    document.body.classList.add('stopped');
    Module.canvas.removeAttribute('aria-busy');
  },
};

// The drawing buffer at the size the designer's window takes on this screen: a buffer made
// again at another size costs the browser nearly as much as the context.
function makeDesignerContext(canvas) {
  if (typeof WebGLRenderingContext == 'undefined') return null;
  var box = canvas.getBoundingClientRect();
  canvas.width = Module.devicePixels(box.width);
  canvas.height = Module.devicePixels(box.height);
  try {
    var gl = canvas.getContext('webgl', Module.contextAttributes);
    return gl && !gl.isContextLost() ? gl : null;
  } catch (refused) {
    return null;
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

// The designer's WebAssembly, compiled as it comes: the request is the one the document
// began (its preload), so the file is fetched once. A server that does not call it
// WebAssembly gets it compiled once it has all come.
function compileDesigner() {
  return fetch('korvath-designer.wasm', {credentials: 'same-origin'}).then(function (response) {
    if (!response.ok) throw new Error('korvath-designer.wasm: ' + response.status);
    if (typeof WebAssembly.compileStreaming != 'function') {
      return response.arrayBuffer().then(WebAssembly.compile);
    }
    var copy = response.clone();
    return WebAssembly.compileStreaming(response).catch(function () {
      return copy.arrayBuffer().then(WebAssembly.compile);
    });
  });
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

// Once the page's text and buttons are on the screen: the browser says when it has shown the
// page's first contents, and the context, whose making keeps the browser's graphics busy, is
// asked for only then, however long that takes. A browser that does not say goes on two
// animation frames later. A hidden page paints nothing and goes on at once, and so does a page
// hidden before it was painted, of which the browser says no paint; a page the browser keeps
// from the screen goes on once it is painted or hidden.
function afterPaint(next) {
  var done = false, observer = null;
  function go() {
    if (done) return;
    done = true;
    if (observer) observer.disconnect();
    document.removeEventListener('visibilitychange', goIfHidden);
    next();
  }
  function goIfHidden() {
    if (document.visibilityState == 'hidden') go();
  }
  if (document.visibilityState == 'hidden') {
    go();
    return;
  }
  document.addEventListener('visibilitychange', goIfHidden);
  var entryTypes = typeof PerformanceObserver == 'function' && PerformanceObserver.supportedEntryTypes || [];
  if (entryTypes.indexOf('paint') < 0) {
    requestAnimationFrame(function () { requestAnimationFrame(go); });
    return;
  }
  observer = new PerformanceObserver(function (list) {
    if (list.getEntriesByName('first-contentful-paint').length) go();
  });
  observer.observe({type: 'paint', buffered: true});
}

// The picture of the start: the designer's first frame, made by the native designer
// (scripts/screenshot.sh), at 1 and 2 device pixels a CSS pixel. Where start-picture.js let it
// show, it stands in the picture's place from the page's first paint until the designer
// draws, in the same frame, or until a notice. An image that does not come, or is no image,
// leaves the place blank.
var StartPicture = {
  image: document.getElementById('start-picture'),

  listen: function () {
    var image = StartPicture.image;
    if (!image) return;
    image.addEventListener('error', StartPicture.remove);
    if (image.complete && !image.naturalWidth) StartPicture.remove();
  },

  remove: function () {
    if (StartPicture.image) StartPicture.image.remove();
    StartPicture.image = null;
  },
};

// Keys typed on the picture and presses of the menu button and the key pad before the
// designer has started: the picture may look ready before it is. Each is kept, in order, and
// given to the designer as it starts, before its first frame, through the listeners it then
// has: a key as the same key down on the picture, a press as the button's one press.
var EarlyInput = {
  kept: [],
  canvas: document.getElementById('canvas'),
  controls: document.getElementById('controls'),

  // The keys the designer takes: a character, an arrow, Shift+F10 and the context-menu key.
  // Every other key, and any with Ctrl, Alt or Meta, stays the browser's.
  onKey: function (event) {
    var key = event.key;
    if (event.ctrlKey || event.altKey || event.metaKey ||
        !(key.length == 1 || /^Arrow/.test(key) || key == 'ContextMenu' || (key == 'F10' && event.shiftKey))) return;
    event.preventDefault();
    EarlyInput.kept.push({key: key, code: event.code, shiftKey: event.shiftKey});
  },

  // A press by a pointer's main button, or Enter or Space on a focused button.
  onPress: function (event) {
    var button = event.target.closest('button');
    if (!button || (event.type == 'pointerdown' ? event.button != 0 : event.detail != 0)) return;
    EarlyInput.kept.push({button: button});
  },

  listen: function () {
    EarlyInput.canvas.addEventListener('keydown', EarlyInput.onKey);
    EarlyInput.controls.addEventListener('pointerdown', EarlyInput.onPress);
    EarlyInput.controls.addEventListener('click', EarlyInput.onPress);
  },

  apply: function () {
    EarlyInput.canvas.removeEventListener('keydown', EarlyInput.onKey);
    EarlyInput.controls.removeEventListener('pointerdown', EarlyInput.onPress);
    EarlyInput.controls.removeEventListener('click', EarlyInput.onPress);
    EarlyInput.kept.splice(0).forEach(function (input) {
      if (input.button) {
        input.button.click();
      } else {
        EarlyInput.canvas.dispatchEvent(new KeyboardEvent('keydown', {
          key: input.key, code: input.code, shiftKey: input.shiftKey, bubbles: true, cancelable: true}));
      }
    });
  },
};

var PageStart = {
  stopped: false,  // a notice stands in the picture's place: nothing more starts
  keeping: false,  // the service worker is asked for

  // A file that does not come, or a runtime that stops before the designer has started: the
  // notice, once, and nothing more is tried. The error the notice says is handled.
  fail: function (event) {
    if (PageStart.stopped || Module.calledRun) return;
    PageStart.stopped = true;
    PageNotice.show('start');
    if (event && typeof event.preventDefault == 'function') event.preventDefault();
  },

  // A step of the start in a task of its own, unless the start has stopped.
  next: function (step) {
    setTimeout(function () {
      if (!PageStart.stopped) step();
    }, 0);
  },

  cannot: function (kind) {
    PageStart.stopped = true;
    PageNotice.show(kind);
  },

  begin: function () {
    if (!canRunWebAssembly()) {
      PageStart.cannot('webassembly');
      return;
    }
    StartPicture.listen();
    EarlyInput.listen();
    var compiled = compileDesigner();
    // Whatever else stops the start, a file that did not come is no unhandled error.
    compiled.catch(PageStart.fail);
    // The runtime instantiates the compiled module in a task of its own; in the next, the GL
    // emulation takes the page's context over (shell.js); in the one after, the designer starts.
    Module.instantiateWasm = function (imports, receiveInstance) {
      compiled
        .then(function (module) {
          return WebAssembly.instantiate(module, imports).then(function (instance) {
            PageStart.next(function () {
              Module.takeContext();
              PageStart.next(function () { receiveInstance(instance, module); });
            });
          });
        })
        .catch(PageStart.fail);
      return {};
    };
    Module.onAbort = PageStart.fail;
    // Run once the designer's main has, in the same task.
    Module.postRun = EarlyInput.apply;
    Module.onFirstFrame = function () {
      StartPicture.remove();
      Module.canvas.removeAttribute('aria-busy');
      if (performance.mark) performance.mark('korvath-first-frame');
      PageStart.keepOffline();
    };
    window.addEventListener('error', PageStart.fail);
    window.addEventListener('unhandledrejection', PageStart.fail);
    watchContext(Module.canvas);
    afterPaint(function () { PageStart.next(PageStart.makeContext); });
  },

  // The one task the page cannot split: the browser making its context.
  makeContext: function () {
    if (!makeDesignerContext(Module.canvas)) {
      PageStart.cannot('webgl');
      return;
    }
    PageStart.next(PageStart.run);
  },

  // The runtime the document asked for, from the browser's cache.
  run: function () {
    var runtime = document.createElement('script');
    runtime.src = 'korvath-designer.js';
    runtime.addEventListener('error', PageStart.fail);
    document.body.appendChild(runtime);
  },

  // Once the designer has drawn and the page has loaded, a service worker keeps this build of
  // the site for the times without a network (service-worker.js, beside this page): it takes
  // from the browser's cache what the page already fetched. Browsers have workers only on
  // secure pages: over HTTPS, or from this machine.
  keepOffline: function () {
    if (!('serviceWorker' in navigator) || PageStart.keeping) return;
    PageStart.keeping = true;
    function register() {
      navigator.serviceWorker.register('service-worker.js').catch(function (error) {
        console.warn('The designer will not work offline: ' + error.message);
      });
    }
    if (document.readyState == 'complete') {
      register();
    } else {
      window.addEventListener('load', register);
    }
  },
};

PageStart.begin();
