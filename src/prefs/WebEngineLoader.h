// Starting the web engine of the preferences window. The engine is a module of its own
// (libjukora_web.so beside the program), so that the program starts without it and runs on when
// it is missing or cannot start.
#pragma once

#include <QString>

class WebViewMaker;
class frmPlayer;

// The module's file: JUKORA_WEB_MODULE when set, else libjukora_web.so beside the program.
QString WebModulePath();

// Loads the module and returns its maker of web views, or nullptr with the reason in `problem`.
// As root the engine cannot have its sandbox, so it is started without one there (and only
// there); elsewhere the sandbox stays on.
WebViewMaker* LoadWebEngine(QString* problem);

// Gives the preferences window the engine and starts its web views once the main window is on
// screen and its lists are filled (its deferred reload has run), so neither waits for the engine.
void StartWebViewsWhenUp(frmPlayer& player);
