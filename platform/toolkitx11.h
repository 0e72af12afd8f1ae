#pragma once

struct xcb_connection_t;

// The toolkit's own connection to the X server; null where the program runs on another
// platform (Wayland, offscreen) or once the application has ended.
xcb_connection_t* toolkitX11Connection();
