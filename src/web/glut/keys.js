// The keyboard on the canvas: printable characters reach the designer's keyboard callback,
// the arrows move the eye round the figure, and Shift+F10 or the context-menu key open the
// menu.

mergeInto(LibraryManager.library, {
  // ---- Keys on the canvas. ----
  $KeyInput__deps: ['$GLUT', '$CanvasInput', '$PopupMenus', '$Orbit', '$Frames'],
  $KeyInput: {
    // A key as the desktop window delivers it, from the keyboard or the key pad.
    key: function(code) {
      if (GLUT.keyboardFunc) {
        {{{ makeDynCall('viii', 'GLUT.keyboardFunc') }}}(code, CanvasInput.lastX, CanvasInput.lastY);
      }
      Frames.afterInput();
    },

    // Printable characters go to the designer as the desktop delivers them, and the arrows
    // move the eye; shortcuts with Ctrl, Alt or Meta, and other keys without a character,
    // stay the browser's. Shift+F10 and the context-menu key open the menu, as they do for
    // anything with a menu. An arrow never scrolls the page, not even during a drag.
    onKeyDown: function(event) {
      if (PopupMenus.open) return;
      if ((event.key == 'F10' && event.shiftKey) || event.key == 'ContextMenu') {
        event.preventDefault();
        var box = CanvasInput.canvas.getBoundingClientRect();
        PopupMenus.showFromKeyboard(box.left + box.width / 2, box.top + box.height / 2);
        return;
      }
      if (event.ctrlKey || event.altKey || event.metaKey) return;
      if (Orbit.byKey[event.key]) {
        event.preventDefault();
        Orbit.step(Orbit.byKey[event.key]);
        return;
      }
      if (event.key.length != 1) return;
      var code = event.key.charCodeAt(0);
      if (code >= 128) return;
      event.preventDefault();
      KeyInput.key(code);
    },

    listen: function(canvas) {
      canvas.addEventListener('keydown', KeyInput.onKeyDown);
    },
  },

  // ---- The arrows, on the keyboard or the key pad: the eye moved round the figure. ----
  // Each step is a drag through the designer's own mouse and motion callbacks, from the
  // picture's centre, so that the orbit, the yaw's wrap and the pitch's limit are the mouse's.
  // The designer turns by the drag's share of the window times half a turn: a step of 1/36
  // of the picture is 5 degrees, at any size.
  $Orbit__deps: ['$GLUT', '$CanvasInput', '$Frames'],
  $Orbit: {
    stepShare: 1 / 36,
    byKey: {ArrowLeft: 'left', ArrowRight: 'right', ArrowUp: 'up', ArrowDown: 'down'},
    // The drag that moves the eye each way: one to the right swings the eye to the left,
    // one downwards raises it.
    drags: {left: [1, 0], right: [-1, 0], up: [0, 1], down: [0, -1]},
    carry: [0, 0],      // what rounding each way to whole pixels has left over, in pixels
    carriedAt: [0, 0],  // the picture's size those are pixels of

    // Whole pixels, with what rounding lost carried into the next step: n steps are n times
    // 5 degrees, and a step back undoes a step exactly.
    pixels: function(axis, direction, size) {
      if (!direction) return 0;
      if (Orbit.carriedAt[axis] != size) Orbit.carry[axis] = 0;
      Orbit.carriedAt[axis] = size;
      var exact = Orbit.carry[axis] + direction * size * Orbit.stepShare, whole = Math.round(exact);
      Orbit.carry[axis] = exact - whole;
      return whole;
    },

    // A drag under way owns the designer's last pointer position: a step would move it.
    step: function(way) {
      var drag = Orbit.drags[way], canvas = CanvasInput.canvas;
      if (!drag || CanvasInput.buttonsDown) return;
      var x = Math.floor(canvas.width / 2), y = Math.floor(canvas.height / 2);
      var toX = x + Orbit.pixels(0, drag[0], canvas.width), toY = y + Orbit.pixels(1, drag[1], canvas.height);
      if (GLUT.mouseFunc) {
        {{{ makeDynCall('viiii', 'GLUT.mouseFunc') }}}(0 /* GLUT_LEFT_BUTTON */, 0 /* GLUT_DOWN */, x, y);
      }
      if (GLUT.motionFunc) {
        {{{ makeDynCall('vii', 'GLUT.motionFunc') }}}(toX, toY);
      }
      if (GLUT.mouseFunc) {
        {{{ makeDynCall('viiii', 'GLUT.mouseFunc') }}}(0 /* GLUT_LEFT_BUTTON */, 1 /* GLUT_UP */, toX, toY);
      }
      Frames.afterInput();
    },
  },
});
