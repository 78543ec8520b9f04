// The fixes that Emscripten's GL emulation needs to do what the designer and the platform
// layer ask of the desktop GL, behind the very calls they make.

mergeInto(LibraryManager.library, {
  // The emulation keeps one material, the front one, but cannot give it back; the batches
  // (batch.cpp) read it to know which batch a shape joins.
  glGetMaterialfv__deps: ['$GLEmulation'],
  glGetMaterialfv: function(face, pname, params) {
    var values = null;
    switch (pname) {
      case 0x1200: values = GLEmulation.materialAmbient; break;  // GL_AMBIENT
      case 0x1201: values = GLEmulation.materialDiffuse; break;  // GL_DIFFUSE
      case 0x1202: values = GLEmulation.materialSpecular; break;  // GL_SPECULAR
      case 0x1600: values = GLEmulation.materialEmission; break;  // GL_EMISSION
      case 0x1601: values = GLEmulation.materialShininess; break;  // GL_SHININESS
    }
    if (values) HEAPF32.set(values, params >> 2);
  },

  // The emulation always shades smoothly, the one model the designer asks for.
  glShadeModel: function(mode) {},
});
