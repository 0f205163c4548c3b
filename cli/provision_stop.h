// Ctrl-C during `apply` and `backup`: the first SIGINT (or SIGTERM) asks the
// work to stop after the page being written, so no page is left half-written;
// a second one ends the program at once, as usual. A parent of worker
// processes keeps catching them and passes each one on instead.
#pragma once

// Installs the handlers, then lets through a stop that was held back (see
// below). With `second_ends` the second signal is left to its default action
// (the program ends).
void ProvisionInstallStopHandler(bool second_ends);
// Holds stop signals back (for a worker, in its child before exec): a stop
// sent while the worker is still starting waits for its handler instead of
// ending it, unreported, before its first page.
void ProvisionHoldStopSignals();
// True once a stop was asked for.
bool ProvisionStopRequested();
// How many stop signals came, and the last one (to pass them on).
int ProvisionStopCount();
int ProvisionStopSignal();
