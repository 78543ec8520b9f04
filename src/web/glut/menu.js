// The toolkit's pop-up menus, shown as an HTML menu over the page: built from the
// designer's own menu calls, and choosing an entry calls the designer's own handler with
// its value. The mouse opens submenus on hover, a finger by a tap, and the keyboard works
// it as any menu on the web: arrows, Home and End, Enter or Space, Escape. A list taller
// than the screen scrolls within itself, by finger, wheel or keys.

mergeInto(LibraryManager.library, {
  $PopupMenus__deps: ['$Frames'],
  $PopupMenus: {
    menus: [],         // by id - 1: {handler, entries: [{label, value, submenu}]}
    current: 0,        // the menu that entries are added to, 0 for none
    byButton: {},      // menu id attached to each mouse button
    open: null,        // the top list of the open menu, if one is open
    opener: null,      // what opened it, the canvas or the menu button: the keys go back to it
    openWidth: 0,      // the window's width when it opened
    dismissal: null,   // the press that last closed the menu by landing elsewhere
    swallowClick: false,
    button: null,      // the page's menu button, which tells whether the menu is open
    home: null,        // the element the menu's lists are shown in

    menu: function(id) {
      return PopupMenus.menus[id - 1] || null;
    },

    // What the menu whose choices call this handler says: the label of the first entry that
    // opens it ('' for none), and the label of the first entry passing each value.
    labelsOf: function(handler) {
      var labels = {title: '', byValue: Object.create(null)};
      var id = PopupMenus.menus.findIndex(function(menu) { return menu.handler == handler; }) + 1;
      if (!id) return labels;
      PopupMenus.menus.forEach(function(menu) {
        menu.entries.forEach(function(entry) {
          if (entry.submenu === id && !labels.title) labels.title = entry.label;
        });
      });
      PopupMenus.menu(id).entries.forEach(function(entry) {
        if (!entry.submenu && !(entry.value in labels.byValue)) labels.byValue[entry.value] = entry.label;
      });
      return labels;
    },

    choose: function(menu, value) {
      PopupMenus.close();
      {{{ makeDynCall('vi', 'menu.handler') }}}(value);
      Frames.afterInput();
    },

    // One level of the menu as a list; its submenus are built as they are opened.
    build: function(menu, parentList) {
      var list = document.createElement('ul');
      list.className = 'popup-menu';
      list.setAttribute('role', 'menu');
      list.parentList = parentList || null;
      list.addEventListener('scroll', function() { PopupMenus.placeFrom(list.submenu); });
      menu.entries.forEach(function(entry) {
        var item = document.createElement('li');
        item.setAttribute('role', 'menuitem');
        item.tabIndex = -1;
        item.textContent = entry.label;
        item.addEventListener('pointerenter', function(event) {
          if (event.pointerType == 'touch') return;
          item.focus({preventScroll: true});
          if (entry.submenu) {
            PopupMenus.openSubmenu(list, item, entry.submenu);
          } else {
            PopupMenus.closeSubmenu(list);
          }
        });
        if (entry.submenu) {
          item.className = 'has-submenu';
          item.setAttribute('aria-haspopup', 'menu');
          item.setAttribute('aria-expanded', 'false');
          item.addEventListener('click', function() { PopupMenus.openSubmenu(list, item, entry.submenu); });
        } else {
          item.dataset.value = entry.value;
          item.addEventListener('click', function() { PopupMenus.choose(menu, entry.value); });
        }
        item.activate = function() {
          if (entry.submenu) {
            PopupMenus.openSubmenu(list, item, entry.submenu);
            PopupMenus.focusItem(list.submenu, 0);
          } else {
            PopupMenus.choose(menu, entry.value);
          }
        };
        list.appendChild(item);
      });
      return list;
    },

    // The menu belongs to the picture's application, in the page's main landmark: a screen
    // reader leaves the person's keys to the menu as to the picture.
    container: function() {
      return PopupMenus.home || document.querySelector('main') || document.body;
    },

    // Places a list at (x, y) in the page, moved inwards where it would cross an edge;
    // `leftX` is where it goes instead when it does not fit to the right. It is never taller
    // than the page's window.
    place: function(list, x, y, leftX) {
      var right = document.documentElement.clientWidth, bottom = document.documentElement.clientHeight;
      list.style.maxHeight = bottom + 'px';
      var size = list.getBoundingClientRect(), width = size.width, height = size.height;
      if (x + width > right) x = leftX !== undefined ? leftX - width : right - width;
      if (y + height > bottom) y = bottom - height;
      list.style.left = Math.max(0, x) + 'px';
      list.style.top = Math.max(0, y) + 'px';
    },

    // Places this list and the submenus open from it: the top list where it was opened, a
    // submenu beside the entry that opens it, wherever its list has scrolled to.
    placeFrom: function(list) {
      for (; list; list = list.submenu) {
        if (!list.parentList) {
          PopupMenus.place(list, list.openedAt.x, list.openedAt.y);
          continue;
        }
        var box = list.parentList.openItem.getBoundingClientRect();
        PopupMenus.place(list, box.right, box.top, box.left);
      }
    },

    openSubmenu: function(parentList, item, id) {
      var menu = PopupMenus.menu(id);
      if (!menu || parentList.openItem === item) return;
      PopupMenus.closeSubmenu(parentList);
      var list = PopupMenus.build(menu, parentList);
      PopupMenus.container().appendChild(list);
      item.classList.add('open');
      item.setAttribute('aria-expanded', 'true');
      parentList.openItem = item;
      parentList.submenu = list;
      PopupMenus.placeFrom(list);
    },

    closeSubmenu: function(list) {
      if (!list.submenu) return;
      PopupMenus.closeSubmenu(list.submenu);
      list.submenu.remove();
      list.openItem.classList.remove('open');
      list.openItem.setAttribute('aria-expanded', 'false');
      list.submenu = null;
      list.openItem = null;
    },

    // Opens a menu at (x, y). A menu opened by a press lets the click of that press go by
    // unheard: after a held finger's lift it would choose whatever entry lies under it.
    // Closed, it gives the keys back to what opened it: `how.opener`, or else the canvas.
    show: function(id, x, y, how) {
      PopupMenus.close();
      var menu = PopupMenus.menu(id);
      if (!menu) return;
      var list = PopupMenus.build(menu);
      list.openedAt = {x: x, y: y};
      PopupMenus.container().appendChild(list);
      PopupMenus.placeFrom(list);
      PopupMenus.open = list;
      PopupMenus.opener = how && how.opener || Module['canvas'];
      PopupMenus.openWidth = window.innerWidth;
      PopupMenus.showExpanded(true);
      if (how && how.byPress) PopupMenus.swallowClick = true;
      if (how && how.focus) PopupMenus.focusItem(list, 0);
    },

    // The menu the right button carries, opened from the keyboard or the menu button.
    showFromKeyboard: function(x, y, byPress, opener) {
      PopupMenus.show(PopupMenus.byButton[2 /* GLUT_RIGHT_BUTTON */], x, y, {focus: true, byPress: byPress, opener: opener});
    },

    // Closing, however it comes, returns the keys to what opened the menu, also while the
    // window is away: they are there when it comes back. The opener has them before the menu
    // goes: a screen reader that sees the focused entry's menu taken away first moves on to
    // the opener without a word.
    close: function() {
      if (!PopupMenus.open) return;
      if (PopupMenus.opener) PopupMenus.opener.focus({preventScroll: true});
      for (var list = PopupMenus.open; list; list = list.submenu) PopupMenus.fade(list);
      PopupMenus.open = null;
      PopupMenus.showExpanded(false);
    },

    // A closed list leaves the accessibility tree a little after the focus has left it: a
    // browser that tells of both at once tells of the removal first, and the screen reader
    // then moves on to the canvas without a word. Until then it shows nothing and takes no
    // pointer.
    fadeMilliseconds: 100,
    fade: function(list) {
      list.className = 'popup-menu-closed';
      setTimeout(function() { list.remove(); }, PopupMenus.fadeMilliseconds);
    },

    showExpanded: function(expanded) {
      if (PopupMenus.button) PopupMenus.button.setAttribute('aria-expanded', String(expanded));
    },

    isInside: function(node) {
      for (var list = PopupMenus.open; list; list = list.submenu) {
        if (list.contains(node)) return true;
      }
      return false;
    },

    focusItem: function(list, index) {
      var items = list.children, count = items.length;
      if (count) PopupMenus.focusInView(items[((index % count) + count) % count]);
    },

    // Gives the entry the keys, scrolled into its list's view; the page itself never scrolls.
    focusInView: function(item) {
      var list = item.parentNode, top = item.offsetTop, bottom = top + item.offsetHeight;
      item.focus({preventScroll: true});
      if (top < list.scrollTop) list.scrollTop = top;
      if (bottom > list.scrollTop + list.clientHeight) list.scrollTop = bottom - list.clientHeight;
    },

    // The keys of an open menu work on the list holding the focus, or on the deepest
    // list when no entry has it yet. Every key stops here: none reaches the designer.
    onKey: function(event) {
      if (!PopupMenus.open) return;
      var deepest = PopupMenus.open;
      while (deepest.submenu) deepest = deepest.submenu;
      var focused = document.activeElement, list = deepest;
      if (focused && focused.parentNode && PopupMenus.isInside(focused) && focused.getAttribute('role') == 'menuitem') {
        list = focused.parentNode;
      } else {
        focused = null;
      }
      var index = focused ? Array.prototype.indexOf.call(list.children, focused) : -1;
      switch (event.key) {
        case 'ArrowDown': PopupMenus.focusItem(list, index + 1); break;
        case 'ArrowUp': PopupMenus.focusItem(list, index < 0 ? -1 : index - 1); break;
        case 'Home': PopupMenus.focusItem(list, 0); break;
        case 'End': PopupMenus.focusItem(list, -1); break;
        case 'ArrowRight':
          if (focused && focused.classList.contains('has-submenu')) focused.activate();
          break;
        case 'Enter': case ' ':
          if (focused) focused.activate();
          break;
        case 'ArrowLeft':
          if (list.parentList) {
            var parentItem = list.parentList.openItem;
            PopupMenus.closeSubmenu(list.parentList);
            PopupMenus.focusInView(parentItem);
          }
          break;
        case 'Escape': case 'Tab': PopupMenus.close(); break;
        default: if (event.key.length != 1) return;  // Shift, F-keys and the like
      }
      event.preventDefault();
      event.stopPropagation();
    },

    // A press anywhere but on the menu closes it without choosing; so do Escape, leaving
    // the window and a new width of the page. A new height alone, such as a phone's toolbar
    // coming or going, only moves the lists within it. The menu button opens the same menu,
    // and the lists are shown in `home`.
    listen: function(menuButton, home) {
      PopupMenus.home = home;
      document.addEventListener('pointerdown', function(event) {
        PopupMenus.swallowClick = false;
        if (PopupMenus.open && !PopupMenus.isInside(event.target)) {
          PopupMenus.dismissal = event;
          PopupMenus.close();
        }
      }, true);
      document.addEventListener('click', function(event) {
        if (!PopupMenus.swallowClick) return;
        PopupMenus.swallowClick = false;
        event.preventDefault();
        event.stopPropagation();
      }, true);
      document.addEventListener('keydown', PopupMenus.onKey, true);
      window.addEventListener('blur', function() { PopupMenus.close(); });
      window.addEventListener('resize', function() {
        if (!PopupMenus.open) return;
        if (window.innerWidth != PopupMenus.openWidth) {
          PopupMenus.close();
        } else {
          PopupMenus.placeFrom(PopupMenus.open);
        }
      });
      if (menuButton) PopupMenus.listenOnButton(menuButton);
    },

    // The button opens the menu under itself, on a press, or on Enter or Space; a press
    // on it while the menu is open only closes the menu.
    listenOnButton: function(button) {
      PopupMenus.button = button;
      PopupMenus.showExpanded(false);
      function openBelow(byPress) {
        var box = button.getBoundingClientRect();
        PopupMenus.showFromKeyboard(box.left, box.bottom, byPress, button);
      }
      button.addEventListener('pointerdown', function(event) {
        if (event.button != 0 || PopupMenus.dismissal === event) return;
        event.preventDefault();
        openBelow(true);
      });
      button.addEventListener('click', function(event) {
        if (event.detail == 0) openBelow(false);
      });
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
});
