#pragma once

#include <functional>

// SIGTERM and SIGINT (kill, Ctrl+C in the terminal, the session ending) call close on the event
// loop, so that the window closes as when the user closes it and writes what it keeps. Both are
// unblocked here: one sent while a parent kept them blocked is delivered once close can run.
// Needs the application object.
void CloseOnQuitSignals(std::function<void()> close);
