// How the program's heap keeps what it frees. Each search of the window fills its views
// and its queue anew, some megabytes that the last search freed: given back to the
// system, they come back as fresh pages, a page fault every 4 KB (about 50,000 for a
// search of 34,000 hits, a third of the window's time beyond the search's).
#pragma once

namespace varsik {

namespace Platform {

// Blocks of up to 32 MB come from the heap, not from a mapping of their own, and up to
// 64 MB that the heap frees at its top is kept for the next allocations. Called once, at
// start, before any thread is started. Nothing where the C library has no such settings.
void KeepFreedMemory();

}  // namespace Platform

}  // namespace varsik
