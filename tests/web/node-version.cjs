// The browser tests need Node.js 18 or later, for its test runner and for the packages that
// drive the browsers. Run before them on the node first on the PATH, this says which version
// they need where an older one would fail with an obscure error; any Node.js can read it.
var needed = 18;
var major = Number(process.versions.node.split('.')[0]);
var found = 'Node.js ' + process.version + ' (' + process.execPath + ')';
if (major < needed) {
  console.error('The browser tests need Node.js ' + needed + ' or later; the node on the PATH is ' + found +
    '. Put a newer Node.js first on the PATH.');
  process.exit(1);
}
console.log('browser tests: ' + found);
