// varnokctl's one vocabulary for what became of its work: every outcome a
// verb meets, whichever layer reports it (a page run, one command line, a
// page of backup/apply), has one exit code (provision/varnokctl_exit_codes.h) and
// one short text, looked up here and nowhere else.
#pragma once

#include <string>

// Declared where they are defined (pages/dtu_page_runner.h,
// link/dtu_cmd_outcome.h, provision/provision_report.h); only the lookups need
// their enumerators.
enum class DtuPageRun;
enum class DtuCmdOutcome;
enum class ProvisionStatus;

struct VarnokOutcome {
  int exit_code;
  const char *text;  // "no answer in time", "port lost", ...
  // varnokctl says the text on standard error: nobody else has. Otherwise it
  // is a success, or the page's message or the port session already said
  // what happened.
  bool announce;
};

VarnokOutcome VarnokPageRunOutcome(DtuPageRun run);
VarnokOutcome VarnokCmdOutcome(DtuCmdOutcome outcome);
// The report prints a provisioning status's text itself, and JSON carries it.
VarnokOutcome VarnokProvisionOutcome(ProvisionStatus status);
// The status whose text this is (a JSON report read back); false for none.
bool VarnokProvisionStatusOfText(const std::string &text, ProvisionStatus &status);
