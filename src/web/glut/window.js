// The designer's window in the page: the canvas's size on the screen and in device pixels.
// The toolkit's start, glutInit, is the page's (page/shell.js); each input is delivered to the
// designer as the desktop window delivers it (pointer.js, keys.js, keypad.js, menu.js), then
// followed by the frames' hooks and check (frames.js), which also keep the designer's timers.
// The GL context and the callbacks' registration are the browser toolkit's own.

mergeInto(LibraryManager.library, {
  // ---- The window's size: the picture's CSS size times the screen's density. ----
  $WindowSize__deps: ['$CanvasInput', 'glutReshapeWindow'],
  $WindowSize: {
    // The drawing buffer a canvas box of this CSS size needs to be sharp on this screen: the
    // page's rule (page.js), by which it sized the buffer before it made the context.
    devicePixels: function(cssPixels) {
      return Module['devicePixels'](cssPixels);
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
});
