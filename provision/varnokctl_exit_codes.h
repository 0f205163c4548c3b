// varnokctl's exit codes, shared by every verb. Each value has one meaning,
// so a script can tell what happened without reading standard error; the
// README lists them for users. New codes are added at the end.
#pragma once

constexpr int kExitOk = 0;            // done; every line got its answer
constexpr int kExitRefused = 1;       // the port cannot be opened, or a file or page refused the work
constexpr int kExitUsage = 2;         // bad verb, option or argument
constexpr int kExitNoAnswer = 3;      // a line got no answer in time (or nothing came back)
constexpr int kExitPortInUse = 4;     // another program holds the port
constexpr int kExitPortLost = 5;      // the device went away while working
constexpr int kExitDeviceError = 6;   // the device answered a line with an error
constexpr int kExitReadBackDiffers = 7;  // what the device holds after a write differs from what was written
constexpr int kExitCloudFailed = 8;   // the cloud platform refused the login, or its broker could not be reached
constexpr int kExitInterrupted = 130;  // stopped by Ctrl-C (SIGINT) before the work was done
