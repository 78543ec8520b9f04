// The designer's window in the page: the canvas, its size on the screen and in device pixels,
// and the toolkit's start, which listens on the canvas, its key pad and its menu button. Each
// input is delivered to the designer as the desktop window delivers it, then followed by what
// the page says of the change (words.js) and the check whether the picture needs a frame
// (frames.js), which also keeps the designer's timers. The GL context and the callbacks'
// registration are the browser toolkit's own.

mergeInto(LibraryManager.library, {
  // ---- The window's size: the picture's CSS size times the screen's density. ----
  $WindowSize__deps: ['$CanvasInput', 'glutReshapeWindow'],
  $WindowSize: {
    // The drawing buffer a canvas box of this CSS size needs to be sharp on this screen.
    devicePixels: function(cssPixels) {
      return Math.max(1, Math.round(cssPixels * (window.devicePixelRatio || 1)));
    },

    // The designer learns a new size through its reshape callback, as from a resized
    // window, and draws again; a drag under way goes on from where the pointer now is.
    resize: function(width, height) {
      width = Math.max(1, width);
      height = Math.max(1, height);
      var canvas = Module['canvas'], oldWidth = canvas.width, oldHeight = canvas.height;
      if (width == oldWidth && height == oldHeight) return;
      _glutReshapeWindow(width, height);
      CanvasInput.rescale(width / oldWidth, height / oldHeight);
    },

    fit: function(box) {
      WindowSize.resize(WindowSize.devicePixels(box.width), WindowSize.devicePixels(box.height));
    },

    // Rotating a phone, zooming, moving to another screen: each changes the box's size in
    // device pixels, which is what is watched. The buffer is the CSS size times the
    // density, rounded, wherever the browser would tell device pixels differently.
    observe: function(canvas) {
      if (typeof ResizeObserver == 'undefined') return;
      var observer = new ResizeObserver(function(entries) {
        WindowSize.fit(entries[entries.length - 1].contentRect);
      });
      try {
        observer.observe(canvas, {box: 'device-pixel-content-box'});
      } catch (notSupported) {
        observer.observe(canvas);
      }
    },

    // A new density with the same CSS size, where the browser does not see a change of
    // device pixels in it.
    watchDensity: function(canvas) {
      if (!window.matchMedia) return;
      var query = window.matchMedia('(resolution: ' + window.devicePixelRatio + 'dppx)');
      query.addEventListener('change', function() {
        WindowSize.fit(canvas.getBoundingClientRect());
        WindowSize.watchDensity(canvas);
      }, {once: true});
    },
  },

  // The size the designer asks for is the picture's largest size in CSS pixels (the
  // stylesheet keeps it square and within the screen); the drawing buffer is the size
  // the picture takes on the page, in device pixels.
  glutInitWindowSize__deps: ['$GLUT', '$Browser', '$WindowSize'],
  glutInitWindowSize: function(width, height) {
    var canvas = Module['canvas'];
    canvas.style.setProperty('--window-size', width + 'px');
    var box = canvas.getBoundingClientRect();
    Browser.setCanvasSize(GLUT.initWindowWidth = WindowSize.devicePixels(box.width),
                          GLUT.initWindowHeight = WindowSize.devicePixels(box.height));
  },

  // The browser toolkit would listen on the whole page; the designer listens on its
  // canvas, its key pad and its menu button.
  glutInit__deps: ['$GLUT', '$CanvasInput', '$KeyInput', '$PopupMenus', '$WindowSize', '$KeyPad', '$Frames'],
  glutInit: function(argcp, argv) {
    GLUT.initTime = Date.now();
    var canvas = Module['canvas'];
    CanvasInput.listen(canvas);
    KeyInput.listen(canvas);
    WindowSize.observe(canvas);
    WindowSize.watchDensity(canvas);
    KeyPad.listen(document.getElementById('pad'));
    PopupMenus.listen(document.getElementById('menu-button'));
    Frames.listen();
  },
});
