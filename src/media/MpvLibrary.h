// libmpv, opened when it is first needed instead of when the program starts: with the codecs,
// filters and outputs it links, it brings some 230 libraries, which take longer to load than
// the main window takes to appear.
#pragma once

#include <mpv/client.h>

#include <QString>

struct MpvLibrary {
    decltype(&mpv_create) create = nullptr;
    decltype(&mpv_initialize) initialize = nullptr;
    decltype(&mpv_terminate_destroy) terminateDestroy = nullptr;
    decltype(&mpv_set_option) setOption = nullptr;
    decltype(&mpv_set_option_string) setOptionString = nullptr;
    decltype(&mpv_command) command = nullptr;
    decltype(&mpv_get_property) getProperty = nullptr;
    decltype(&mpv_set_property) setProperty = nullptr;
    decltype(&mpv_observe_property) observeProperty = nullptr;
    decltype(&mpv_wait_event) waitEvent = nullptr;
    decltype(&mpv_set_wakeup_callback) setWakeupCallback = nullptr;
};

// The library, loaded on the first call (from any thread; later calls wait for the first), or
// nullptr when it cannot be loaded. While a stand-in is in place, the stand-in.
const MpvLibrary* Mpv();
// Why it could not be loaded (empty when it was).
QString MpvLoadError();

// Puts a table of stand-in functions in place of libmpv (for unit tests and fuzzing: the
// program itself always loads the real library), or nullptr to go back to it. Only while no
// player is open: a player's handle is given back to the table that made it.
void UseMpvStandIn(const MpvLibrary* table);
