// The page's key pad: the designer's keys and the arrows as buttons, for screens without a
// keyboard and for a person who points but does not drag.

mergeInto(LibraryManager.library, {
  // ---- The key pad: the designer's keys as buttons, for screens without a keyboard. ----
  // A press sends the key through the keyboard's own path, or moves the eye as its arrow
  // does; held, it repeats as a held key does. A press of the pointer leaves the focus where
  // it is, on the canvas; a button reached from the keyboard presses once on Enter or Space.
  $KeyPad__deps: ['$KeyInput', '$PopupMenus', '$Orbit'],
  $KeyPad: {
    repeatDelayMilliseconds: 500,
    repeatMilliseconds: 50,
    held: null,  // {button, timer}

    // What one press of the button does: its key, or its arrow's step.
    action: function(button) {
      var way = button.dataset.orbit, code = way ? 0 : button.dataset.key.charCodeAt(0);
      return way ? function() { Orbit.step(way); } : function() { KeyInput.key(code); };
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

    // The Keys button shows or hides the pad's keys beside its arrows, where the page hides
    // them (style.css). Like the pad's, it leaves the focus where it is.
    listenOnDisclosure: function(button) {
      if (!button) return;
      button.addEventListener('mousedown', function(event) { event.preventDefault(); });
      button.addEventListener('click', function() {
        button.setAttribute('aria-expanded', String(button.getAttribute('aria-expanded') != 'true'));
      });
    },

    listen: function(pad, disclosure) {
      KeyPad.listenOnDisclosure(disclosure);
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
});
