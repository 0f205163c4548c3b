// `varnokctl apply` and `varnokctl backup` from the arguments to the exit
// code: checks the file, runs each device (one after the other, or in
// worker processes with --parallel) and prints the report.
#pragma once

int RunProvisionVerb(const char *verb, int argc, char **argv);
