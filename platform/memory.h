#pragma once

// Hands memory the program freed back to the system, so that a window that held a large
// text leaves the process as small as before it was opened.
void releaseFreeMemory();
