// The pointer on the canvas: a mouse or a pen presses, drags and opens the menu; a finger
// drags to orbit and held still opens the menu. Each reaches the designer through its mouse
// and motion callbacks, as in the desktop window.

mergeInto(LibraryManager.library, {
  // ---- A mouse or a pen on the canvas. ----
  $CanvasInput__deps: ['$GLUT', '$PopupMenus', '$TouchInput', '$Frames'],
  $CanvasInput: {
    canvas: null,
    buttonsDown: 0,  // the toolkit buttons pressed on the canvas and not yet released
    pointerId: -1,   // the pointer whose drag the designer follows
    lastX: 0,
    lastY: 0,

    // Drawing-buffer pixels from the canvas's top left, also beyond it during a drag.
    locate: function(clientX, clientY) {
      var canvas = CanvasInput.canvas, box = canvas.getBoundingClientRect();
      var scaleX = box.width > 0 ? canvas.width / box.width : 1;
      var scaleY = box.height > 0 ? canvas.height / box.height : 1;
      CanvasInput.lastX = Math.floor((clientX - box.left) * scaleX);
      CanvasInput.lastY = Math.floor((clientY - box.top) * scaleY);
    },

    mouse: function(button, state) {
      if (GLUT.mouseFunc) {
        {{{ makeDynCall('viiii', 'GLUT.mouseFunc') }}}(button, state, CanvasInput.lastX, CanvasInput.lastY);
      }
      Frames.afterInput();
    },

    press: function(button, pointerId, clientX, clientY) {
      CanvasInput.buttonsDown |= 1 << button;
      CanvasInput.pointerId = pointerId;
      CanvasInput.locate(clientX, clientY);
      CanvasInput.mouse(button, 0 /* GLUT_DOWN */);
    },

    move: function(clientX, clientY) {
      CanvasInput.locate(clientX, clientY);
      if (GLUT.motionFunc) {
        {{{ makeDynCall('vii', 'GLUT.motionFunc') }}}(CanvasInput.lastX, CanvasInput.lastY);
      }
      Frames.afterInput();
    },

    release: function(button) {
      if (!(CanvasInput.buttonsDown & (1 << button))) return;
      CanvasInput.buttonsDown &= ~(1 << button);
      CanvasInput.mouse(button, 1 /* GLUT_UP */);
    },

    releaseAll: function() {
      for (var button = 0; button < 3; ++button) CanvasInput.release(button);
    },

    // After a resize the last position is in the new buffer's pixels, and a drag under
    // way starts again there rather than jumping by the difference of the two scales.
    rescale: function(scaleX, scaleY) {
      CanvasInput.lastX = Math.floor(CanvasInput.lastX * scaleX);
      CanvasInput.lastY = Math.floor(CanvasInput.lastY * scaleY);
      for (var button = 0; button < 3; ++button) {
        if (CanvasInput.buttonsDown & (1 << button)) CanvasInput.mouse(button, 0 /* GLUT_DOWN */);
      }
    },

    // The toolkit's buttons in a pointer event's `buttons`: left, middle and right.
    heldIn: function(buttons) {
      return (buttons & 1) | (buttons & 4 ? 2 : 0) | (buttons & 2 ? 4 : 0);
    },
    shownButtons: 0,  // the toolkit buttons the last pointer event on the canvas showed down

    // Every pointer event's `buttons` is the truth, whatever events came before it: a
    // button the designer holds that it no longer shows is released, and one it newly
    // shows is pressed, even when it comes by a move (a second button during a drag, or a
    // press after a release the browser never sent). A button with a menu only opens the
    // menu, on its own press.
    follow: function(event) {
      var shown = CanvasInput.heldIn(event.buttons), newly = shown & ~CanvasInput.shownButtons;
      if (event.type == 'pointerdown' && event.button >= 0 && event.button <= 2) newly |= shown & (1 << event.button);
      CanvasInput.shownButtons = shown;
      if (CanvasInput.buttonsDown && event.pointerId != CanvasInput.pointerId) return;
      CanvasInput.locate(event.clientX, event.clientY);
      for (var button = 0; button < 3; ++button) {
        var bit = 1 << button;
        if ((CanvasInput.buttonsDown & bit) && !(shown & bit)) CanvasInput.release(button);
      }
      for (button = 0; button < 3; ++button) {
        bit = 1 << button;
        if ((newly & bit) && !(CanvasInput.buttonsDown & bit) && !PopupMenus.byButton[button]) {
          CanvasInput.startDrag(button, event);
        }
      }
    },

    // A drag follows the pointer wherever it goes until its last button is released, as the
    // desktop's pointer grab does. A press that came by a move closes an open menu and
    // gives the canvas the keys, as a press does.
    startDrag: function(button, event) {
      if (event.type != 'pointerdown') {
        PopupMenus.close();
        CanvasInput.canvas.focus({preventScroll: true});
      }
      try {
        CanvasInput.canvas.setPointerCapture(event.pointerId);
      } catch (notActive) {
        // the browser no longer sees the button down: its release comes with the next event
      }
      CanvasInput.press(button, event.pointerId, event.clientX, event.clientY);
    },

    // A finger is told apart from a mouse: it holds for the menu and drags to orbit.
    onPointerDown: function(event) {
      var canvas = CanvasInput.canvas, button = event.button;
      canvas.focus({preventScroll: true});
      event.preventDefault();
      if (event.pointerType == 'touch') {
        TouchInput.onDown(event);
        return;
      }
      var menu = button >= 0 && button <= 2 ? PopupMenus.byButton[button] : 0;
      if (menu && !CanvasInput.buttonsDown) {
        CanvasInput.shownButtons = CanvasInput.heldIn(event.buttons);
        PopupMenus.show(menu, event.clientX, event.clientY);
        return;
      }
      CanvasInput.follow(event);
    },

    // The back and forward buttons would leave the page, and the design with it; on the
    // picture and its menu they do nothing, as in the desktop window. A browser tells of
    // one pressed or released while another button is down by a move.
    keepPage: function(event) {
      if (event.button != 3 && event.button != 4) return;
      if (event.target === CanvasInput.canvas || PopupMenus.isInside(event.target)) event.preventDefault();
    },

    onPointerMove: function(event) {
      if (event.pointerType == 'touch') {
        TouchInput.onMove(event);
        return;
      }
      CanvasInput.follow(event);
      if (CanvasInput.buttonsDown && event.pointerId == CanvasInput.pointerId) {
        CanvasInput.move(event.clientX, event.clientY);
      }
    },

    onPointerUp: function(event) {
      if (event.pointerType == 'touch') {
        TouchInput.onUp(event);
      } else {
        CanvasInput.follow(event);
      }
    },

    // A pointer coming onto the canvas with a button already down was pressed elsewhere:
    // that button drags nothing here.
    onPointerOver: function(event) {
      if (event.pointerType != 'touch' && !CanvasInput.buttonsDown) {
        CanvasInput.shownButtons = CanvasInput.heldIn(event.buttons);
      }
    },

    // A drag the browser takes away (a lost capture, a cancelled touch) ends as if every
    // button were released where the pointer was last seen.
    onPointerCancel: function(event) {
      if (event.pointerType == 'touch') {
        TouchInput.onCancel(event);
      } else if (event.pointerId == CanvasInput.pointerId) {
        CanvasInput.releaseAll();
      }
    },

    // The browser's own menu never shows on the canvas, nor on the designer's menu, which
    // opens under the pointer before the browser's event comes: the browser's menu would
    // take the pointer, and the release of its button with it. A browser that lost such a
    // release tells of the button's next press only by this event: the menu opens here then.
    onContextMenu: function(event) {
      var canvas = CanvasInput.canvas;
      if (event.target !== canvas && !PopupMenus.isInside(event.target)) return;
      event.preventDefault();
      var menu = PopupMenus.byButton[event.button];
      if (event.target === canvas && event.button == 2 && menu && !PopupMenus.open && !CanvasInput.buttonsDown) {
        PopupMenus.show(menu, event.clientX, event.clientY);
      }
    },

    listen: function(canvas) {
      CanvasInput.canvas = canvas;
      canvas.tabIndex = 0;
      canvas.addEventListener('pointerdown', CanvasInput.onPointerDown);
      canvas.addEventListener('pointermove', CanvasInput.onPointerMove);
      canvas.addEventListener('pointerup', CanvasInput.onPointerUp);
      canvas.addEventListener('pointerover', CanvasInput.onPointerOver);
      canvas.addEventListener('pointercancel', CanvasInput.onPointerCancel);
      canvas.addEventListener('lostpointercapture', CanvasInput.onPointerCancel);
      document.addEventListener('contextmenu', CanvasInput.onContextMenu, true);
      document.addEventListener('pointermove', CanvasInput.keepPage, true);
      document.addEventListener('pointerup', CanvasInput.keepPage, true);
    },
  },

  // ---- A finger on the canvas: held still it opens the menu, moved it orbits. ----
  // The kind of a touch is decided once: it is a hold until the finger moves a few
  // pixels, a drag from then on. Only the first finger counts; a second one cancels a
  // hold and never moves the view.
  $TouchInput__deps: ['$CanvasInput', '$PopupMenus'],
  $TouchInput: {
    holdMilliseconds: 500,
    slopPixels: 8,  // CSS pixels a held finger may wander
    finger: null,   // {id, x, y, time, kind: 'hold' | 'drag' | 'done'}

    onDown: function(event) {
      var finger = TouchInput.finger;
      if (finger) {
        if (finger.kind == 'hold') finger.kind = 'done';
        return;
      }
      finger = TouchInput.finger = {id: event.pointerId, x: event.clientX, y: event.clientY,
                                    time: event.timeStamp, kind: 'hold'};
      CanvasInput.canvas.setPointerCapture(event.pointerId);
      // Moves queued while the page was busy are handled before the next frame, so the
      // hold is judged then, on their time stamps rather than on the timer's.
      setTimeout(function() {
        requestAnimationFrame(function() {
          if (TouchInput.finger === finger && finger.kind == 'hold') TouchInput.openMenu(finger);
        });
      }, TouchInput.holdMilliseconds);
    },

    openMenu: function(finger) {
      finger.kind = 'done';
      var menu = PopupMenus.byButton[2 /* GLUT_RIGHT_BUTTON */];
      if (menu) PopupMenus.show(menu, finger.x, finger.y, {byPress: true});
    },

    onMove: function(event) {
      var finger = TouchInput.finger;
      if (!finger || event.pointerId != finger.id) return;
      if (finger.kind == 'hold') {
        if (Math.hypot(event.clientX - finger.x, event.clientY - finger.y) < TouchInput.slopPixels) return;
        if (event.timeStamp - finger.time >= TouchInput.holdMilliseconds) {
          TouchInput.openMenu(finger);
          return;
        }
        finger.kind = 'drag';
        CanvasInput.press(0 /* GLUT_LEFT_BUTTON */, finger.id, finger.x, finger.y);
      }
      if (finger.kind == 'drag') CanvasInput.move(event.clientX, event.clientY);
    },

    onUp: function(event) {
      var finger = TouchInput.finger;
      if (!finger || event.pointerId != finger.id) return;
      if (finger.kind == 'drag') {
        CanvasInput.locate(event.clientX, event.clientY);
        CanvasInput.release(0);
      }
      TouchInput.finger = null;
    },

    onCancel: function(event) {
      var finger = TouchInput.finger;
      if (!finger || event.pointerId != finger.id) return;
      if (finger.kind == 'drag') CanvasInput.release(0);
      TouchInput.finger = null;
    },
  },
});
