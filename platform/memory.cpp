#include "platform/memory.h"

#include <malloc.h>

void releaseFreeMemory() {
    // Freed blocks in the middle of the heap, and the heaps of worker threads, stay with
    // the process otherwise.
    malloc_trim(0);
}
