// The page's start, on the runtime's side; page.js is the side before it. In this order:
// page.js checks that the browser can run the designer, makes the picture's context once the
// page is painted, and runs the runtime; once the WebAssembly is instantiated, it has the GL
// emulation take that context over (takeContext, here) in a task of its own, and in the next
// the designer's main runs. The designer's glutInit finds the page's elements, here and
// nowhere else, and the toolkit listens on them; its glutMainLoop restores the tab's copy,
// has the frames judged by the design's walk, starts the words and asks for the first frame.

mergeInto(LibraryManager.library, {
  $PageShell__deps: ['$Browser'],
  // page.js hands the context over through the runtime's Module.
  $PageShell__postset: "Module['takeContext'] = PageShell.takeContext;",
  $PageShell: {
    elements: null,

    // The page's elements the layer works on; the canvas is the runtime's own.
    find: function() {
      function byId(id) { return document.getElementById(id); }
      PageShell.elements = {
        canvas: Module['canvas'],
        picture: byId('picture'),  // the canvas, its status and its menus
        words: byId('picture-words'),
        said: byId('said'),
        pad: byId('pad'),
        keysButton: byId('keys-button'),  // shows or hides the key pad's other keys
        menuButton: byId('menu-button'),
      };
      return PageShell.elements;
    },

    // The GL emulation sets itself up in the context page.js made, with the attributes it was
    // made with: the designer's glutCreateWindow then finds it taken.
    takeContext: function() {
      Browser.createContext(Module['canvas'], true, true, Module['contextAttributes']);
    },
  },

  // The browser toolkit would listen on the whole page; the designer listens on its
  // canvas, its key pad and its menu button.
  glutInit__deps: ['$GLUT', '$PageShell', '$CanvasInput', '$KeyInput', '$PopupMenus', '$WindowSize', '$KeyPad',
    '$Frames'],
  glutInit: function(argcp, argv) {
    GLUT.initTime = Date.now();
    var elements = PageShell.find(), canvas = elements.canvas;
    CanvasInput.listen(canvas);
    KeyInput.listen(canvas);
    WindowSize.observe(canvas);
    WindowSize.watchDensity(canvas);
    KeyPad.listen(elements.pad, elements.keysButton);
    PopupMenus.listen(elements.menuButton, elements.picture);
    Frames.listen();
  },

  // The toolkit's loop entry, under another name: the design is back before it asks for the
  // first frame, the frames are judged by the design's walk, and the page first says the
  // design in words.
  $toolkitMainLoop: LibraryManager.library.glutMainLoop,
  $toolkitMainLoop__deps: LibraryManager.library.glutMainLoop__deps,

  glutMainLoop__deps: ['$PageShell', '$TabCopy', '$toolkitMainLoop', '$Words', '$Frames', 'designDiffersFromDrawn',
    'designDrawn'],
  glutMainLoop: function() {
    TabCopy.restore();
    TabCopy.listen(PageShell.elements.canvas);
    Frames.judgeBy(_designDiffersFromDrawn, _designDrawn);
    Words.start(PageShell.elements);
    toolkitMainLoop();
  },
});
