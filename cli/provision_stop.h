// Ctrl-C during `apply` and `backup`: the first SIGINT (or SIGTERM) asks the
// work to stop after the page being written, so no page is left half-written;
// a second one ends the program at once, as usual. A parent of worker
// processes keeps catching them and passes each one on instead.
#pragma once

// Installs the handlers. With `second_ends` the second signal is left to
// its default action (the program ends).
void ProvisionInstallStopHandler(bool second_ends);
// True once a stop was asked for.
bool ProvisionStopRequested();
// How many stop signals came, and the last one (to pass them on).
int ProvisionStopCount();
int ProvisionStopSignal();
