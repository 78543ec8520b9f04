// The designer's window in the page: its size on the screen and in device pixels, and the
// pointer, fingers and keys on the canvas and on the page's key pad, delivered to the
// designer as the desktop window delivers them, each followed by what the page says of the
// change (words.js) and the check whether the picture needs a frame (frames.js). The GL
// context, the callbacks' registration and the timers are the browser toolkit's own.

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

  // ---- Pointer and keys on the canvas. ----
  $CanvasInput__deps: ['$GLUT', '$PopupMenus', '$TouchInput', '$Frames', '$Orbit'],
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

    // A key as the desktop window delivers it, from the keyboard or the key pad.
    key: function(code) {
      if (GLUT.keyboardFunc) {
        {{{ makeDynCall('viii', 'GLUT.keyboardFunc') }}}(code, CanvasInput.lastX, CanvasInput.lastY);
      }
      Frames.afterInput();
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
      CanvasInput.key(code);
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
      canvas.addEventListener('keydown', CanvasInput.onKeyDown);
      document.addEventListener('contextmenu', CanvasInput.onContextMenu, true);
      document.addEventListener('pointermove', CanvasInput.keepPage, true);
      document.addEventListener('pointerup', CanvasInput.keepPage, true);
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

  // ---- The key pad: the designer's keys as buttons, for screens without a keyboard. ----
  // A press sends the key through the keyboard's own path, or moves the eye as its arrow
  // does; held, it repeats as a held key does. The buttons never take the focus, which
  // stays on the canvas.
  $KeyPad__deps: ['$CanvasInput', '$PopupMenus', '$Orbit'],
  $KeyPad: {
    repeatDelayMilliseconds: 500,
    repeatMilliseconds: 50,
    held: null,  // {button, timer}

    // What one press of the button does: its key, or its arrow's step.
    action: function(button) {
      var way = button.dataset.orbit, code = way ? 0 : button.dataset.key.charCodeAt(0);
      return way ? function() { Orbit.step(way); } : function() { CanvasInput.key(code); };
    },

    // Each repeat waits for the next frame, by when a lift queued while the page was busy
    // has been handled: a short tap never repeats because the page was slow.
    press: function(button) {
      KeyPad.stop();
      var act = KeyPad.action(button);
      var held = KeyPad.held = {button: button, timer: 0};
      function repeatAfter(milliseconds) {
        held.timer = setTimeout(function() {
          requestAnimationFrame(function() {
            if (KeyPad.held !== held) return;
            act();
            repeatAfter(KeyPad.repeatMilliseconds);
          });
        }, milliseconds);
      }
      act();
      button.classList.add('held');
      repeatAfter(KeyPad.repeatDelayMilliseconds);
    },

    stop: function() {
      if (!KeyPad.held) return;
      clearTimeout(KeyPad.held.timer);
      KeyPad.held.button.classList.remove('held');
      KeyPad.held = null;
    },

    listen: function(pad) {
      if (!pad) return;
      pad.querySelectorAll('button[data-key], button[data-orbit]').forEach(function(button) {
        button.addEventListener('mousedown', function(event) { event.preventDefault(); });
        button.addEventListener('pointerdown', function(event) {
          // The press that closed an open menu does nothing more.
          if (event.button != 0 || PopupMenus.dismissal === event) return;
          event.preventDefault();
          KeyPad.press(button);
        });
        // Enter or Space on a focused button: one press.
        button.addEventListener('click', function(event) {
          if (event.detail == 0) KeyPad.action(button)();
        });
        ['pointerup', 'pointercancel', 'pointerleave'].forEach(function(type) {
          button.addEventListener(type, KeyPad.stop);
        });
      });
      window.addEventListener('blur', KeyPad.stop);
    },
  },

  // The browser toolkit would listen on the whole page; the designer listens on its
  // canvas, its key pad and its menu button.
  glutInit__deps: ['$GLUT', '$CanvasInput', '$PopupMenus', '$WindowSize', '$KeyPad', '$Frames'],
  glutInit: function(argcp, argv) {
    GLUT.initTime = Date.now();
    var canvas = Module['canvas'];
    CanvasInput.listen(canvas);
    WindowSize.observe(canvas);
    WindowSize.watchDensity(canvas);
    KeyPad.listen(document.getElementById('pad'));
    PopupMenus.listen(document.getElementById('menu-button'));
    Frames.listen();
  },
});
