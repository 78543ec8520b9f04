// Marks a function the page's JavaScript calls: kept and exported from the WebAssembly. The
// native tests link the same files, where it is an ordinary function.
#pragma once

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#define CALLED_FROM_JAVASCRIPT EMSCRIPTEN_KEEPALIVE
#else
#define CALLED_FROM_JAVASCRIPT
#endif
