// The fixes that Emscripten's GL emulation needs to draw what the designer draws as the
// desktop GL does, behind the very calls the designer makes.

mergeInto(LibraryManager.library, {
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
});
