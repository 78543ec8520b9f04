// When the page draws: only when the picture can differ from what the canvas shows. The
// desktop window redraws without pause (each drawn hand asks for the next frame); a page
// doing the same would draw one still design sixty times a second for as long as it is open.
//
// So every frame here is decided by what the designer draws from, never by its requests
// alone: after each event and timer tick the layer delivers, the state (design.cpp's walk)
// and the window's size are compared with those the last frame was drawn from, and a frame
// is asked of the browser when they differ. The designer's own requests (after a key, a
// drag, a tick of the sway, a new size) lead to the same comparison; those it makes while
// drawing, the continuous redraw, are not heard. A frame drawn is drawn from scratch, through
// the same display callback, as on the desktop.

mergeInto(LibraryManager.library, {
  $Frames__deps: ['$Browser', '$GLUT', '$Words', 'designDiffersFromDrawn', 'designDrawn'],
  $Frames: {
    requested: false,  // a frame is asked of the browser and has not come yet
    drawing: false,    // the display callback is running
    forced: false,     // the next frame is drawn whatever the state
    drawn: 0,          // frames drawn since the page loaded

    // After anything the designer heard: a frame, if the picture can differ. Returns
    // whether it can.
    check: function() {
      var differs = !Frames.drawing && (Frames.forced || !!_designDiffersFromDrawn());
      if (differs) Frames.request();
      return differs;
    },

    // After each event of the person's the layer delivered: what it changed is said (words.js),
    // and a frame asked for if the picture can differ.
    afterInput: function() {
      Words.heard();
      Frames.check();
    },

    // A frame whatever the state: the browser may have dropped what the canvas showed.
    force: function() {
      Frames.forced = true;
      Frames.request();
    },

    // One frame at most is asked for at a time; a hidden page's comes when it is shown.
    request: function() {
      if (Frames.requested || !GLUT.displayFunc) return;
      Frames.requested = true;
      Browser.requestAnimationFrame(Frames.draw);
    },

    // Judged again when the frame comes: a change undone meanwhile draws nothing.
    draw: function() {
      Frames.requested = false;
      if (!Frames.forced && !_designDiffersFromDrawn()) return;
      Frames.forced = false;
      _designDrawn();
      Frames.drawing = true;
      try {
        Browser.mainLoop.runIter(function() {
          {{{ makeDynCall('v', 'GLUT.displayFunc') }}}();
        });
      } finally {
        Frames.drawing = false;
      }
      // The page hears of the first picture: it is no longer starting.
      if (++Frames.drawn == 1 && Module['onFirstFrame']) Module['onFirstFrame']();
    },

    // A page shown again, or brought back from the browser's cache, draws once more.
    listen: function() {
      document.addEventListener('visibilitychange', function() {
        if (document.visibilityState == 'visible') Frames.force();
      });
      window.addEventListener('pageshow', function(event) {
        if (event.persisted) Frames.force();
      });
    },
  },

  glutPostRedisplay__deps: ['$Frames'],
  glutPostRedisplay: function() {
    Frames.check();
  },

  // The designer's 20 ms timer ticks on, as designed; each tick is followed by a check.
  // What a tick changes is the sway's, not the person's: the page's words take it in unsaid.
  // A tick that changed nothing costs no more than the comparison.
  glutTimerFunc__deps: ['$Frames', '$safeSetTimeout', '$Words'],
  glutTimerFunc: function(milliseconds, func, value) {
    safeSetTimeout(function() {
      {{{ makeDynCall('vi', 'func') }}}(value);
      if (Frames.check()) Words.absorb();
    }, milliseconds);
  },
});
