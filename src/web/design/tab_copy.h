// The designer's state as a copy the page keeps for the tab: a short text of named
// fields that a page taken away by the browser restores on its next load. The page's
// part (when to save, when a copy counts) is tab_copy.js.
#pragma once

extern "C" {

// Writes the state into the copy's buffer and returns it, ended by a zero byte.
const char* tabCopyEncode();

// The buffer a copy is written into before tabCopyRestore reads it, and its size in bytes.
char* tabCopyBuffer();
int tabCopyBufferSize();

// Restores the copy in the buffer: every value brought within its bounds, and the random
// sequence drawn on to where it was. A copy of another version, cut short or holding
// anything but numbers changes nothing. Returns whether the copy was restored.
int tabCopyRestore();
}
