// When the page draws: only when the picture can differ from what the canvas shows, where
// the desktop window redraws without pause (docs/web.md, When the page draws).
//
// Every frame here is decided by what the designer draws from, never by its requests
// alone: after each event and timer tick the layer delivers, what the picture is drawn from
// is compared with what the last frame was drawn from, by the judge the page gives
// (judgeBy), and a frame is asked of the browser when they differ. The designer's own
// requests (after a key, a drag, a tick of the sway, a new size) lead to the same comparison;
// those it makes while drawing, the continuous redraw, are not heard. A frame drawn is drawn
// from scratch, through the same display callback, as on the desktop. Until a judge is given,
// every picture may differ.
//
// Others hear of each event and tick through hooks: those given to afterEachInput run after
// each event of the person's, before the check; those given to afterEachTick after each timer
// tick whose check found that the picture may differ.

mergeInto(LibraryManager.library, {
  $Frames__deps: ['$Browser', '$GLUT'],
  $Frames: {
    requested: false,  // a frame is asked of the browser and has not come yet
    drawing: false,    // the display callback is running
    forced: false,     // the next frame is drawn whatever the state
    drawn: 0,          // frames drawn since the page loaded
    differs: function() { return true; },  // whether the picture may differ from the last drawn
    drawnFrom: function() {},              // told as a frame is drawn, before the callback
    inputHooks: [],
    tickHooks: [],

    // The judge of whether the picture may differ, and what hears of each frame drawn.
    judgeBy: function(differs, drawn) {
      Frames.differs = differs;
      Frames.drawnFrom = drawn;
    },

    afterEachInput: function(hook) {
      Frames.inputHooks.push(hook);
    },

    afterEachTick: function(hook) {
      Frames.tickHooks.push(hook);
    },

    // After anything the designer heard: a frame, if the picture can differ. Returns
    // whether it can.
    check: function() {
      var differs = !Frames.drawing && (Frames.forced || !!Frames.differs());
      if (differs) Frames.request();
      return differs;
    },

    // After each event of the person's the layer delivered: the hooks, and a frame asked for
    // if the picture can differ.
    afterInput: function() {
      Frames.inputHooks.forEach(function(hook) { hook(); });
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
      if (!Frames.forced && !Frames.differs()) return;
      Frames.forced = false;
      Frames.drawnFrom();
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

  // The page shows the picture when the display callback returns: the swap draws what is left
  // of the frame's batches (gl/batch.js).
  glutSwapBuffers__deps: ['$batchDrawing'],
  glutSwapBuffers: function() {
    _flushBatches();
  },

  glutPostRedisplay__deps: ['$Frames'],
  glutPostRedisplay: function() {
    Frames.check();
  },

  // The designer's 20 ms timer ticks on, as designed; each tick is followed by a check, and
  // one that may have changed the picture by the tick hooks. A tick that changed nothing costs
  // no more than the comparison.
  glutTimerFunc__deps: ['$Frames', '$safeSetTimeout'],
  glutTimerFunc: function(milliseconds, func, value) {
    safeSetTimeout(function() {
      {{{ makeDynCall('vi', 'func') }}}(value);
      if (Frames.check()) Frames.tickHooks.forEach(function(hook) { hook(); });
    }, milliseconds);
  },
});
