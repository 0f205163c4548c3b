// How varnokctl ends on a signal. SIGINT, SIGTERM and SIGHUP hand every open
// serial port back as it was found (exclusive use dropped, terminal settings
// restored) and then end the process as the signal would have. SIGPIPE is
// ignored: a reader that went away makes writes fail instead of ending the
// process with the port held, and a verb finishes and closes its port
// normally.
#pragma once

void CliInstallExitSignals();
