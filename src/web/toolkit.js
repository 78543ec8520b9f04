// The designer's window in a browser page: the input, pop-up menus and GL fixes that the
// browser's toolkit and GL emulation lack, behind the very calls the designer makes.
// Everything else (the window's GL context, the callbacks' registration, timers and
// redisplay) is the browser toolkit's own.

var LibraryKorvathToolkit = {
  // The emulation's own vertex calls, kept under other names before they are replaced.
  $emulatedBegin: LibraryManager.library.glBegin,
  $emulatedBegin__deps: LibraryManager.library.glBegin__deps,
  $emulatedNormal3f: LibraryManager.library.glNormal3f,
  $emulatedNormal3f__deps: ['$GLImmediate'],
  $emulatedVertex3f: LibraryManager.library.glVertex3f,
  $emulatedVertex3f__deps: ['$GLImmediate'],

  // The emulation stores a normal in the vertex stream itself, so a normal given once
  // for a whole face breaks the stream's layout and the face is not drawn. Here the
  // normal is GL state, as on the desktop, and every vertex carries the current one.
  $currentNormal: {x: 0, y: 0, z: 1},

  glNormal3f__deps: ['$currentNormal'],
  glNormal3f: function(x, y, z) {
    currentNormal.x = x;
    currentNormal.y = y;
    currentNormal.z = z;
  },

  glVertex3f__deps: ['$currentNormal', '$emulatedNormal3f', '$emulatedVertex3f'],
  glVertex3f: function(x, y, z) {
    emulatedNormal3f(currentNormal.x, currentNormal.y, currentNormal.z);
    emulatedVertex3f(x, y, z);
  },

  // The emulation draws only what WebGL can: a convex polygon becomes the fan of the
  // same vertices, which is how the desktop GL splits it too.
  glBegin__deps: ['$emulatedBegin'],
  glBegin: function(mode) {
    var polygon = 0x0009, triangleFan = 0x0006;
    emulatedBegin(mode == polygon ? triangleFan : mode);
  },

  // The emulation always shades smoothly, the one model the designer asks for.
  glShadeModel: function(mode) {},

  // ---- Pop-up menus: the toolkit's menu calls, shown as an HTML menu over the page. ----
  $PopupMenus: {
    menus: [],         // by id - 1: {handler, entries: [{label, value, submenu}]}
    current: 0,        // the menu that entries are added to, 0 for none
    byButton: {},      // menu id attached to each mouse button
    open: null,        // the element of the open menu, if one is open

    menu: function(id) {
      return PopupMenus.menus[id - 1] || null;
    },

    choose: function(menu, value) {
      PopupMenus.close();
      {{{ makeDynCall('vi', 'menu.handler') }}}(value);
    },

    // One level of the menu as a list; its submenus are built as they are hovered.
    build: function(menu) {
      var list = document.createElement('ul');
      list.className = 'popup-menu';
      list.setAttribute('role', 'menu');
      menu.entries.forEach(function(entry) {
        var item = document.createElement('li');
        item.setAttribute('role', 'menuitem');
        item.textContent = entry.label;
        if (entry.submenu) {
          item.className = 'has-submenu';
          item.setAttribute('aria-haspopup', 'menu');
          item.addEventListener('pointerenter', function() { PopupMenus.openSubmenu(list, item, entry.submenu); });
        } else {
          item.dataset.value = entry.value;
          item.addEventListener('pointerenter', function() { PopupMenus.closeSubmenu(list); });
          item.addEventListener('click', function() { PopupMenus.choose(menu, entry.value); });
        }
        list.appendChild(item);
      });
      return list;
    },

    // Places a list at (x, y) in the page, moved inwards where it would cross an edge;
    // `leftX` is where it goes instead when it does not fit to the right.
    place: function(list, x, y, leftX) {
      var size = list.getBoundingClientRect(), width = size.width, height = size.height;
      var right = document.documentElement.clientWidth, bottom = document.documentElement.clientHeight;
      if (x + width > right) x = leftX !== undefined ? leftX - width : right - width;
      if (y + height > bottom) y = bottom - height;
      list.style.left = Math.max(0, x) + 'px';
      list.style.top = Math.max(0, y) + 'px';
    },

    openSubmenu: function(parentList, item, id) {
      var menu = PopupMenus.menu(id);
      if (!menu || parentList.openItem === item) return;
      PopupMenus.closeSubmenu(parentList);
      var list = PopupMenus.build(menu);
      document.body.appendChild(list);
      var box = item.getBoundingClientRect();
      PopupMenus.place(list, box.right, box.top, box.left);
      item.classList.add('open');
      parentList.openItem = item;
      parentList.submenu = list;
    },

    closeSubmenu: function(list) {
      if (!list.submenu) return;
      PopupMenus.closeSubmenu(list.submenu);
      list.submenu.remove();
      list.openItem.classList.remove('open');
      list.submenu = null;
      list.openItem = null;
    },

    show: function(id, x, y) {
      PopupMenus.close();
      var menu = PopupMenus.menu(id);
      if (!menu) return;
      var list = PopupMenus.build(menu);
      document.body.appendChild(list);
      PopupMenus.place(list, x, y);
      PopupMenus.open = list;
    },

    close: function() {
      if (!PopupMenus.open) return;
      PopupMenus.closeSubmenu(PopupMenus.open);
      PopupMenus.open.remove();
      PopupMenus.open = null;
    },

    isInside: function(node) {
      for (var list = PopupMenus.open; list; list = list.submenu) {
        if (list.contains(node)) return true;
      }
      return false;
    },

    // A press anywhere but on the menu, and Escape, close it without choosing.
    listen: function() {
      document.addEventListener('pointerdown', function(event) {
        if (PopupMenus.open && !PopupMenus.isInside(event.target)) PopupMenus.close();
      }, true);
      document.addEventListener('keydown', function(event) {
        if (PopupMenus.open && event.key == 'Escape') {
          event.preventDefault();
          PopupMenus.close();
        }
      }, true);
      window.addEventListener('blur', PopupMenus.close);
      window.addEventListener('resize', PopupMenus.close);
    },
  },

  glutCreateMenu__deps: ['$PopupMenus'],
  glutCreateMenu: function(handler) {
    PopupMenus.menus.push({handler: handler, entries: []});
    return PopupMenus.current = PopupMenus.menus.length;
  },

  glutAddMenuEntry__deps: ['$PopupMenus'],
  glutAddMenuEntry: function(label, value) {
    var menu = PopupMenus.menu(PopupMenus.current);
    if (menu) menu.entries.push({label: UTF8ToString(label), value: value});
  },

  glutAddSubMenu__deps: ['$PopupMenus'],
  glutAddSubMenu: function(label, submenu) {
    var menu = PopupMenus.menu(PopupMenus.current);
    if (menu && PopupMenus.menu(submenu)) menu.entries.push({label: UTF8ToString(label), submenu: submenu});
  },

  glutAttachMenu__deps: ['$PopupMenus'],
  glutAttachMenu: function(button) {
    if (PopupMenus.current) PopupMenus.byButton[button] = PopupMenus.current;
  },

  // ---- Pointer and keys on the canvas, as the desktop window receives them. ----
  $CanvasInput__deps: ['$GLUT', '$PopupMenus'],
  $CanvasInput: {
    canvas: null,
    buttonsDown: 0,  // the toolkit buttons pressed on the canvas and not yet released
    lastX: 0,
    lastY: 0,

    // Canvas pixels from the window's top left, also beyond the canvas during a drag.
    locate: function(event) {
      var canvas = CanvasInput.canvas, box = canvas.getBoundingClientRect();
      var scaleX = box.width > 0 ? canvas.width / box.width : 1;
      var scaleY = box.height > 0 ? canvas.height / box.height : 1;
      CanvasInput.lastX = Math.floor((event.clientX - box.left) * scaleX);
      CanvasInput.lastY = Math.floor((event.clientY - box.top) * scaleY);
    },

    mouse: function(button, state) {
      if (GLUT.mouseFunc) {
        {{{ makeDynCall('viiii', 'GLUT.mouseFunc') }}}(button, state, CanvasInput.lastX, CanvasInput.lastY);
      }
    },

    // A button with a menu opens it; any other starts a drag that follows the pointer
    // wherever it goes until the button is released, as the desktop's pointer grab does.
    onPointerDown: function(event) {
      var canvas = CanvasInput.canvas, button = event.button;
      canvas.focus();
      event.preventDefault();
      if (button < 0 || button > 2) return;
      var menu = PopupMenus.byButton[button];
      if (menu) {
        PopupMenus.show(menu, event.clientX, event.clientY);
        return;
      }
      if (CanvasInput.buttonsDown & (1 << button)) return;
      CanvasInput.buttonsDown |= 1 << button;
      canvas.setPointerCapture(event.pointerId);
      CanvasInput.locate(event);
      CanvasInput.mouse(button, 0 /* GLUT_DOWN */);
    },

    onPointerMove: function(event) {
      if (!CanvasInput.buttonsDown) return;
      CanvasInput.locate(event);
      if (GLUT.motionFunc) {
        {{{ makeDynCall('vii', 'GLUT.motionFunc') }}}(CanvasInput.lastX, CanvasInput.lastY);
      }
    },

    onPointerUp: function(event) {
      var button = event.button;
      if (button < 0 || !(CanvasInput.buttonsDown & (1 << button))) return;
      CanvasInput.buttonsDown &= ~(1 << button);
      CanvasInput.locate(event);
      CanvasInput.mouse(button, 1 /* GLUT_UP */);
    },

    // A drag the browser takes away (a touch turned into a scroll, a lost capture) ends
    // as if every button were released where the pointer was last seen.
    onPointerCancel: function() {
      for (var button = 0; button < 3; ++button) {
        if (!(CanvasInput.buttonsDown & (1 << button))) continue;
        CanvasInput.buttonsDown &= ~(1 << button);
        CanvasInput.mouse(button, 1 /* GLUT_UP */);
      }
    },

    // Printable characters go to the designer as the desktop delivers them; shortcuts
    // with Ctrl, Alt or Meta, and keys without a character, stay the browser's.
    onKeyDown: function(event) {
      if (PopupMenus.open || event.ctrlKey || event.altKey || event.metaKey) return;
      if (event.key.length != 1) return;
      var code = event.key.charCodeAt(0);
      if (code >= 128) return;
      event.preventDefault();
      if (GLUT.keyboardFunc) {
        {{{ makeDynCall('viii', 'GLUT.keyboardFunc') }}}(code, CanvasInput.lastX, CanvasInput.lastY);
      }
    },

    listen: function(canvas) {
      CanvasInput.canvas = canvas;
      canvas.tabIndex = 0;
      canvas.addEventListener('pointerdown', CanvasInput.onPointerDown);
      canvas.addEventListener('pointermove', CanvasInput.onPointerMove);
      canvas.addEventListener('pointerup', CanvasInput.onPointerUp);
      canvas.addEventListener('pointercancel', CanvasInput.onPointerCancel);
      canvas.addEventListener('lostpointercapture', CanvasInput.onPointerCancel);
      canvas.addEventListener('keydown', CanvasInput.onKeyDown);
      canvas.addEventListener('contextmenu', function(event) { event.preventDefault(); });
    },
  },

  // The browser toolkit would listen on the whole page; the designer listens on its canvas.
  glutInit__deps: ['$GLUT', '$CanvasInput', '$PopupMenus'],
  glutInit: function(argcp, argv) {
    GLUT.initTime = Date.now();
    CanvasInput.listen(Module['canvas']);
    PopupMenus.listen();
  },
};

mergeInto(LibraryManager.library, LibraryKorvathToolkit);
