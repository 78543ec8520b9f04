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
  $TabCopy: {
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
      var storage = TabCopy.storage();
      if (!storage) return;
      try {
        storage.setItem(TabCopy.key, UTF8ToString(_tabCopyEncode()));
      } catch (full) {
        TabCopy.drop();
      }
    },

    drop: function() {
      var storage = TabCopy.storage();
      try {
        if (storage) storage.removeItem(TabCopy.key);
      } catch (refused) {}
    },

    // A copy is restored once; one too long for the buffer is no copy of this build's.
    restore: function() {
      var storage = TabCopy.storage(), copy = null;
      try {
        copy = storage ? storage.getItem(TabCopy.key) : null;
      } catch (refused) {}
      if (copy === null) return;
      TabCopy.drop();
      var size = _tabCopyBufferSize();
      if (lengthBytesUTF8(copy) >= size) return;
      stringToUTF8(copy, _tabCopyBuffer(), size);
      _tabCopyRestore();
    },

    onVisibilityChange: function() {
      if (!TabCopy.hidden()) {
        TabCopy.drop();
      } else if (!TabCopy.leaving) {
        TabCopy.save();
      }
    },

    onPageHide: function() {
      if (TabCopy.hidden() || TabCopy.lostContext) {
        TabCopy.save();
      } else {
        TabCopy.drop();
      }
      TabCopy.leaving = true;
    },

    onPageShow: function(event) {
      TabCopy.leaving = false;
      if (event.persisted && !TabCopy.hidden()) TabCopy.drop();
    },

    onFreeze: function() {
      if (TabCopy.hidden() || TabCopy.lostContext) TabCopy.save();
    },

    onContextLost: function() {
      TabCopy.lostContext = true;
      TabCopy.save();
    },

    // A page that starts hidden (loaded again in the background) may be taken away before
    // it is ever shown: it keeps the design it restored at once.
    listen: function(canvas) {
      document.addEventListener('visibilitychange', TabCopy.onVisibilityChange);
      document.addEventListener('freeze', TabCopy.onFreeze);
      window.addEventListener('pagehide', TabCopy.onPageHide);
      window.addEventListener('pageshow', TabCopy.onPageShow);
      canvas.addEventListener('webglcontextlost', TabCopy.onContextLost);
      if (TabCopy.hidden()) TabCopy.save();
    },
  },
});
