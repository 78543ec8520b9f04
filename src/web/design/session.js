// The design kept for the tab, for the times the browser takes the page away: it may
// freeze a hidden page, discard it or kill its process, and no event tells of the last
// two. So the page saves the design, synchronously to sessionStorage, whenever it may be
// its end (hidden, leaving, frozen), and the next load restores it before the first frame.
// sessionStorage lasts as long as the tab and no longer; nothing leaves the tab.
//
// A copy counts only if it was saved while the page was out of sight and the page never
// came back on screen after it: a page shown again drops it, and so does a page that
// leaves while on screen (a reload the person asks for starts afresh). The one exception
// is a lost GL context, which the page may mend only by loading again: from then on the
// page's end keeps the design, on screen or not.

mergeInto(LibraryManager.library, {
  $Session: {
    key: 'korvath-designer-session',
    lostContext: false,
    leaving: false,  // from a pagehide until the page is shown again from the browser's cache

    hidden: function() {
      return document.visibilityState == 'hidden';
    },

    // Private browsing or a policy may refuse the storage, or a full quota a copy: the
    // designer then works on without one.
    storage: function() {
      try {
        return window.sessionStorage;
      } catch (refused) {
        return null;
      }
    },

    save: function() {
      var storage = Session.storage();
      if (!storage) return;
      try {
        storage.setItem(Session.key, UTF8ToString(_sessionEncode()));
      } catch (full) {
        Session.drop();
      }
    },

    drop: function() {
      var storage = Session.storage();
      try {
        if (storage) storage.removeItem(Session.key);
      } catch (refused) {}
    },

    // A copy is restored once; one too long for the buffer is no copy of this build's.
    restore: function() {
      var storage = Session.storage(), copy = null;
      try {
        copy = storage ? storage.getItem(Session.key) : null;
      } catch (refused) {}
      if (copy === null) return;
      Session.drop();
      var size = _sessionBufferSize();
      if (lengthBytesUTF8(copy) >= size) return;
      stringToUTF8(copy, _sessionBuffer(), size);
      _sessionRestore();
    },

    onVisibilityChange: function() {
      if (!Session.hidden()) {
        Session.drop();
      } else if (!Session.leaving) {
        Session.save();
      }
    },

    onPageHide: function() {
      if (Session.hidden() || Session.lostContext) {
        Session.save();
      } else {
        Session.drop();
      }
      Session.leaving = true;
    },

    onPageShow: function(event) {
      Session.leaving = false;
      if (event.persisted && !Session.hidden()) Session.drop();
    },

    onFreeze: function() {
      if (Session.hidden() || Session.lostContext) Session.save();
    },

    onContextLost: function() {
      Session.lostContext = true;
      Session.save();
    },

    // A page that starts hidden (loaded again in the background) may be taken away before
    // it is ever shown: it keeps the design it restored at once.
    listen: function() {
      document.addEventListener('visibilitychange', Session.onVisibilityChange);
      document.addEventListener('freeze', Session.onFreeze);
      window.addEventListener('pagehide', Session.onPageHide);
      window.addEventListener('pageshow', Session.onPageShow);
      Module['canvas'].addEventListener('webglcontextlost', Session.onContextLost);
      if (Session.hidden()) Session.save();
    },
  },

  // The toolkit's loop entry, under another name: the design is back before it asks for
  // the first frame, the frames are judged by the design's walk, and the page first says the
  // design in words.
  $toolkitMainLoop: LibraryManager.library.glutMainLoop,
  $toolkitMainLoop__deps: LibraryManager.library.glutMainLoop__deps,

  glutMainLoop__deps: ['$Session', '$toolkitMainLoop', '$Words', '$Frames', 'designDiffersFromDrawn', 'designDrawn'],
  glutMainLoop: function() {
    Session.restore();
    Session.listen();
    Frames.judgeBy(_designDiffersFromDrawn, _designDrawn);
    Words.start();
    toolkitMainLoop();
  },
});
