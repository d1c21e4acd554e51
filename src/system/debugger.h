#pragma once

// True when a debugger is attached to this process.
bool DebuggerAttached();
