// What the player and its web host (jukora-web) say to each other: one line per message, words
// separated by single spaces, the last field running to the end of the line.
//
// Player to host, on the host's standard input (the host ends when it is closed):
//   view <id> <X window> <width> <height>   a new view, drawn inside the player's X window
//   size <id> <width> <height>              the view's window was resized
//   go <id> <address>                       the view starts loading the page at the address
// Host to player, on the host's standard output:
//   ready                                   the engine is there; views can be made
//   unavailable <reason>                    the engine cannot start; the host ends
//   loaded <id> <1 or 0> <page title>       a page finished loading, or failed to
#pragma once

namespace WebHostProtocol {
inline constexpr const char* kView = "view";
inline constexpr const char* kSize = "size";
inline constexpr const char* kGo = "go";
inline constexpr const char* kReady = "ready";
inline constexpr const char* kUnavailable = "unavailable";
inline constexpr const char* kLoaded = "loaded";
} // namespace WebHostProtocol
