// StopRequest: the one flag that asks a running backup to stop at its next safe point. The
// system's stop signals set it (logout, shutdown, Ctrl+C, a closed terminal); a window may set it
// too. The copy engine looks at it between files and between chunks of a large file.
#pragma once

#include <string>

#include "platform/PlatformOps.h"

namespace quillmere::StopRequest {

// Makes SIGTERM, SIGINT and SIGHUP (where the system has them) set the flag instead of ending the
// process. Whoever installs them must also look at the flag when no backup runs.
void InstallSignalHandlers();

// Sets the flag; safe to call from a signal handler.
void Request(int signal = 0);
bool Requested();
// The signal that set the flag, or 0 (not set, or set without a signal).
int Signal();

// The failure a copy reports when it stops on request: it names the first file not copied.
PlatformError Stopped(const std::string& path);

}  // namespace quillmere::StopRequest
