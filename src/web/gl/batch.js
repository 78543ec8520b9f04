// When the batches of batch.cpp are drawn: before anything that shows, reads or ends the
// picture, and before any change to the state they are drawn with (the light, the viewport,
// what is enabled, how depth and colour are written). A projection changed meanwhile the
// batches notice themselves, when the next shape joins them.

// Wrapped once the emulation has put its own calls in place, and before the WebAssembly is
// given them.
var batchFlushingCalls = ['glClear', 'glFinish', 'glFlush', 'glReadPixels', 'glLightfv', 'glLightModelf',
  'glLightModelfv', 'glEnable', 'glDisable', 'glViewport', 'glDepthFunc', 'glDepthMask', 'glColorMask',
  'glCullFace', 'glFrontFace'];

mergeInto(LibraryManager.library, {
  $flushingBatchesFirst__deps: ['$GLEmulation'].concat(batchFlushingCalls),
  $flushingBatchesFirst: function(call) {
    return function() {
      _flushBatches();
      return call.apply(null, arguments);
    };
  },
  $flushingBatchesFirst__postset: batchFlushingCalls.map(function(name) {
    return '_' + name + ' = flushingBatchesFirst(_' + name + ');';
  }).join(''),

  // The emulation streams each draw's points into the next of its buffers of the draw's size
  // and keeps every buffer it made (docs/web.md, Drawing): four of each size are plenty for a
  // frame's few draws of one size. Set before the context and its buffers are made.
  $fewStreamBuffers__deps: ['$GL'],
  $fewStreamBuffers__postset: 'GL.numTempVertexBuffersPerSize = 4;',
  $fewStreamBuffers: {},

  // What the frame's end (frames.js's glutSwapBuffers) needs of the batches.
  $batchDrawing__deps: ['$flushingBatchesFirst', '$fewStreamBuffers', 'flushBatches'],
  $batchDrawing: {},
});
