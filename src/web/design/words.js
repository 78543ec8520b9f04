// The picture in words, for those who cannot see it: the canvas's description says what it
// shows, and a polite live region says each change the person makes once it has settled.
// Every name is a label of the designer's own menus, found by the handler that makes the
// choice and the value chosen (design.cpp's designLayout() tells which, and where each value
// lies, by name); only the view, the joints' axes, the colour channels and idle on or off are
// the layer's own words.
//
// A screen reader reads a description again whenever it changes on the element that has the
// focus: every key would be answered by the whole design before the change. So the canvas
// carries its description when the focus comes to the picture from elsewhere on the page, and
// lets it go at the person's first change there, or when its menu takes the focus; it carries
// it again, up to date, once the focus leaves the picture and its menus.

mergeInto(LibraryManager.library, {
  $Words__deps: ['$PopupMenus', '$Frames', 'designValues', 'designLayout'],
  $Words: {
    settleMilliseconds: 500,  // a held key or a drag is said once it stops this long
    steepPitch: 0.5,          // radians: beyond this the eye looks from above or below
    quarterTurn: Math.PI / 2,
    sides: ['front', 'right', 'back', 'left'],  // by quarter turns of the yaw from the front
    axes: ['x', 'y', 'z'],
    channels: ['red', 'green', 'blue'],
    layout: null,   // designLayout(): where each field of the walk lies, by name, and the choices
    seen: null,     // the walk after the last delivery
    pending: {},    // what is to be said, by topic, each as a function of the state then
    timer: 0,
    description: null,
    region: null,
    canvas: null,
    picture: null,  // the canvas, its status and its menus

    // Reads the layout once the menus exist, with the page's elements (page/shell.js), says the design as it starts, and from then on
    // hears of each event and tick.
    start: function(elements) {
      Words.layout = JSON.parse(UTF8ToString(_designLayout()));
      Words.description = elements.words;
      Words.region = elements.said;
      Words.canvas = elements.canvas;
      Words.picture = elements.picture;
      Words.seen = Words.values();
      Frames.afterEachInput(Words.heard);
      Frames.afterEachTick(Words.absorb);
      if (!Words.picture || !Words.canvas || !Words.description) return;
      Words.carryDescription();
      Words.picture.addEventListener('focusin', function(event) {
        if (event.target !== Words.canvas) Words.letDescriptionGo();
      });
      document.addEventListener('focusin', function(event) {
        if (!Words.picture.contains(event.target)) Words.carryDescription();
      });
      window.addEventListener('blur', Words.carryDescription);
    },

    // The description is the canvas's own attribute, a copy of its fallback text: one given
    // by reference is announced as changed when the canvas takes the focus, and heard twice.
    letDescriptionGo: function() {
      if (Words.canvas) Words.canvas.removeAttribute('aria-description');
    },

    carryDescription: function() {
      if (!Words.canvas || !Words.description) return;
      Words.canvas.setAttribute('aria-description', '');
      Words.describe(Words.values());
    },

    // Whether a new description would be read out now: the canvas has the focus and carries it.
    describedToFocus: function() {
      return !!Words.canvas && document.activeElement === Words.canvas && Words.canvas.hasAttribute('aria-description');
    },

    // Where the walk holds the first value of the field of this name.
    at: function(name) {
      return Words.layout.fields[name].at;
    },

    values: function() {
      var at = _designValues() >> 3;
      return Array.prototype.slice.call(HEAPF64.subarray(at, at + Words.layout.values));
    },

    // The label of the entry of the handler's menu that passes this value, or ''.
    label: function(handler, value) {
      return PopupMenus.labelsOf(handler).byValue[value] || '';
    },

    // The label of the entry that opens the handler's menu: "Main Color", "Left weapon".
    menuName: function(handler) {
      return PopupMenus.labelsOf(handler).title;
    },

    choiceOf: function(at) {
      return Words.layout.choices.filter(function(choice) { return choice.at == at; })[0];
    },

    // A number as a person reads it: at most two decimals, a real minus sign.
    number: function(value) {
      if (!isFinite(value)) return 'unknown';
      return String(Math.round(value * 100) / 100).replace('-', '\u2212');
    },

    userPaintName: function() {
      return Words.label(Words.layout.choices[0].handler, Words.layout.userPaint);
    },

    mix: function(values) {
      var parts = Words.channels.map(function(channel, i) {
        return channel + ' ' + Words.number(values[Words.at('mix') + i]);
      });
      return parts.concat('shininess ' + Words.number(values[Words.at('shine')])).join(', ');
    },

    // "Main Color: Blood Red"; the user-defined paint with its colour and shininess.
    choiceWords: function(choice, values) {
      var name = Words.menuName(choice.handler), chosen = Words.label(choice.handler, values[choice.at]);
      if (!chosen) return '';
      var words = name ? name + ': ' + chosen : chosen;
      if (choice.paint && values[choice.at] === Words.layout.userPaint) {
        words += ' (' + Words.mix(values) + ')';
      }
      return words;
    },

    // The piece the keys pose, and its side: "Upper arm, left side".
    jointName: function(piece, side) {
      var pieceName = Words.label(Words.choiceOf(Words.at('piece')).handler, piece);
      var sideName = Words.label(Words.choiceOf(Words.at('side')).handler, side);
      return pieceName && sideName ? pieceName + ', ' + sideName.toLowerCase() : '';
    },

    // Where the walk holds a joint's angle about one axis: its piece's field holds each side's
    // x, y and z in turn.
    angleAt: function(piece, side, axis) {
      return Words.at(Words.layout.pieces[piece]) + side * Words.axes.length + axis;
    },

    // A joint's angle about one axis: "x −5°".
    angle: function(values, piece, side, axis) {
      var at = Words.angleAt(piece, side, axis);
      return Words.axes[axis] + ' ' + Words.number(Math.round(values[at])) + '\u00b0';
    },

    // The joint the keys pose, with the two angles they turn.
    posed: function(values) {
      var piece = values[Words.at('piece')], side = values[Words.at('side')], name = Words.jointName(piece, side);
      if (!name) return '';
      return 'Keys pose: ' + name + ' (' + Words.angle(values, piece, side, 0) + ', ' +
        Words.angle(values, piece, side, 1) + ')';
    },

    idle: function(values) {
      return values[Words.at('idle')] ? 'Idle on' : 'Idle off';
    },

    // The side of the figure the eye is on, and whether it looks from above or below.
    view: function(values) {
      var yaw = values[Words.at('yaw')], pitch = values[Words.at('pitch')];
      if (!isFinite(yaw) || !isFinite(pitch)) return '';
      var quarters = Math.round((yaw - Words.layout.frontYaw) / Words.quarterTurn);
      var words = 'Seen from the ' + Words.sides[((quarters % 4) + 4) % 4];
      if (pitch > Words.steepPitch) words += ', from above';
      if (pitch < -Words.steepPitch) words += ', from below';
      return words;
    },

    // The eye's place in degrees, for each step of the arrows: "Seen from the left: the eye
    // 90° right, 10° up". Right and up are the ways the arrows of those names move it.
    turn: function(values) {
      var view = Words.view(values);
      if (!view) return '';
      var degrees = 180 / Math.PI, yaw = values[Words.at('yaw')], pitch = values[Words.at('pitch')];
      var round = Math.round((Words.layout.frontYaw - yaw) * degrees) % 360;
      if (round > 180) round -= 360;
      if (round <= -180) round += 360;
      var up = Math.round(pitch * degrees);
      function way(angle, positive, negative) {
        return Math.abs(angle) + '\u00b0 ' + (angle < 0 ? negative : positive);
      }
      return view + ': the eye ' + way(round, 'right', 'left') + ', ' + way(up, 'up', 'down');
    },

    // The whole design, for the canvas's description.
    // Whether a choice is of the joint the keys pose, which is said with its angles.
    posing: function(choice) {
      return choice.at == Words.at('piece') || choice.at == Words.at('side');
    },

    describe: function(values) {
      var paints = [], others = [];
      Words.layout.choices.forEach(function(choice) {
        if (Words.posing(choice)) return;
        (choice.paint ? paints : others).push(Words.choiceWords(choice, values));
      });
      var sentences = [Words.view(values), paints.join('; '), others.join('; '), Words.posed(values),
        Words.idle(values)];
      var text = sentences.filter(function(sentence) { return sentence; }).join('. ') + '.';
      if (Words.description && Words.description.textContent != text) Words.description.textContent = text;
      if (Words.canvas && Words.canvas.hasAttribute('aria-description') && Words.canvas.getAttribute('aria-description') != text) {
        Words.canvas.setAttribute('aria-description', text);
      }
    },

    // Each value the person changed, as the topic it is said under and how to say it.
    topics: function(before, after) {
      var topics = {};
      function changed(at) { return !Object.is(before[at], after[at]); }
      Words.layout.choices.forEach(function(choice, index) {
        if (!changed(choice.at)) return;
        var posing = Words.posing(choice);
        topics[posing ? 'posed' : 'choice ' + index] = posing ? Words.posed : function(values) {
          return Words.choiceWords(choice, values);
        };
      });
      if (changed(Words.at('idle'))) topics.idle = Words.idle;
      if (changed(Words.at('yaw')) || changed(Words.at('pitch'))) topics.view = Words.turn;
      Words.channels.forEach(function(channel, i) {
        var at = Words.at('mix') + i;
        if (changed(at)) topics[channel] = Words.mixWords(channel, at);
      });
      if (changed(Words.at('shine'))) topics.shine = Words.mixWords('shininess', Words.at('shine'));
      Words.layout.pieces.forEach(function(name, piece) {
        for (var side = 0; side < Words.layout.sides; ++side) {
          for (var axis = 0; axis < Words.axes.length; ++axis) {
            var at = Words.angleAt(piece, side, axis);
            if (changed(at)) topics['angle ' + at] = Words.angleWords(piece, side, axis);
          }
        }
      });
      return topics;
    },

    // "User defined: red 0.05".
    mixWords: function(name, at) {
      return function(values) {
        return Words.userPaintName() + ': ' + name + ' ' + Words.number(values[at]);
      };
    },

    // "Upper arm, left side: x −5°".
    angleWords: function(piece, side, axis) {
      return function(values) {
        var name = Words.jointName(piece, side);
        return name ? name + ': ' + Words.angle(values, piece, side, axis) : '';
      };
    },

    // After each event the person made: what changed joins what is to be said, which waits
    // until nothing more changes. A burst keeps no backlog: each topic is said once, as the
    // state is when it is said.
    heard: function() {
      var now = Words.values(), topics = Words.topics(Words.seen, now), any = false;
      Words.seen = now;
      for (var topic in topics) {
        Words.pending[topic] = topics[topic];
        any = true;
      }
      if (!any) return;
      if (document.activeElement === Words.canvas) Words.letDescriptionGo();
      Words.describe(now);
      clearTimeout(Words.timer);
      Words.timer = setTimeout(Words.say, Words.settleMilliseconds);
    },

    // The idle sway moves the joints by itself: its ticks are taken in without a word, and
    // only the description follows the posed joint.
    absorb: function() {
      var now = Words.values();
      if (now.every(function(value, at) { return Object.is(value, Words.seen[at]); })) return;
      Words.seen = now;
      if (!Words.describedToFocus()) Words.describe(now);
    },

    say: function() {
      var values = Words.values(), said = [];
      for (var topic in Words.pending) {
        var words = Words.pending[topic](values);
        if (words) said.push(words);
      }
      Words.pending = {};
      var text = said.join('. ');
      if (!text || !Words.region) return;
      // The same words again are a change too: a reader hears only a changed text.
      if (text == Words.region.textContent) text += '\u00a0';
      Words.region.textContent = text;
    },
  },
});
