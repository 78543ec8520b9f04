// WebGL calls counted in the page, for the draw-count test and the bench: every method of the
// WebGL context wrapped before the page loads, the draws and the buffers made counted apart,
// and the material each draw is lit with (the emulation's material uniforms in effect at the
// draw) remembered.

// Installs the counters in every document the page loads from now on.
export function countWebGLCalls(page) {
  return page.evaluateOnNewDocument(() => {
    const counts = window.webglCounts = {calls: 0, draws: 0, triangles: 0, buffers: 0, materials: new Set()};
    const material = {};
    const prototype = WebGLRenderingContext.prototype;
    for (const name of Object.getOwnPropertyNames(prototype)) {
      const descriptor = Object.getOwnPropertyDescriptor(prototype, name);
      if (typeof descriptor.value != 'function' || name == 'constructor') continue;
      const original = descriptor.value;
      prototype[name] = function(...args) {
        ++counts.calls;
        return original.apply(this, args);
      };
    }
    const wrap = (name, before) => {
      const counted = prototype[name];
      prototype[name] = function(...args) {
        const result = counted.apply(this, args);
        before(args, result);
        return result;
      };
    };
    wrap('getUniformLocation', ([, name], location) => { if (location) location.uniformName = name; });
    const remember = ([location, value]) => {
      if (location?.uniformName?.startsWith('u_material')) {
        material[location.uniformName] = Array.from(typeof value == 'number' ? [value] : value);
      }
    };
    wrap('uniform4fv', remember);
    wrap('uniform1f', remember);
    wrap('uniform1fv', remember);
    const drawn = triangles => {
      ++counts.draws;
      counts.triangles += triangles;
      counts.materials.add(JSON.stringify(Object.entries(material).sort()));
    };
    wrap('createBuffer', () => ++counts.buffers);
    wrap('drawElements', ([mode, count]) => drawn(mode == 4 ? count / 3 : 0));
    wrap('drawArrays', ([mode, , count]) => drawn(mode == 4 ? count / 3 : 0));
  });
}

// One call of the designer's display callback, as the page makes it for a frame: its WebGL
// calls, its draws, the different materials the draws are lit with, its triangles, and the
// WebGL buffers it made.
export function countFrame(page) {
  return page.evaluate(() => {
    const counts = window.webglCounts;
    Object.assign(counts, {calls: 0, draws: 0, triangles: 0, buffers: 0});
    counts.materials.clear();
    getWasmTableEntry(GLUT.displayFunc)();
    return {
      calls: counts.calls, draws: counts.draws, triangles: counts.triangles, materials: counts.materials.size,
      buffers: counts.buffers,
    };
  });
}
