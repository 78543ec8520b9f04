// The page's start: the canvas the designer draws in.
var Module = {canvas: document.getElementById('canvas')};
