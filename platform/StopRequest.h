// StopRequest: the flag that the system's stop signals set (logout, shutdown, Ctrl+C, a closed
// terminal). Every copy's monitor answers a stop request while it is set (see CopyMonitor.h), so a
// running backup stops at its next safe point; a Stop button asks through its own monitor.
#pragma once

namespace quillmere::StopRequest {

// Makes SIGTERM, SIGINT and SIGHUP (where the system has them) set the flag instead of ending the
// process. Whoever installs them must also look at the flag when no backup runs.
void InstallSignalHandlers();

// Sets the flag; safe to call from a signal handler.
void Request(int signal = 0);
bool Requested();
// The signal that set the flag, or 0 (not set, or set without a signal).
int Signal();

}  // namespace quillmere::StopRequest
