// diff's report for people: what differs and nothing else, so that an empty
// report above the summary means the device holds what the file says.
#include <sstream>

#include "base/dtu_printable.h"
#include "provision/provision_report.h"

namespace {

// A page that was not compared: its status and what it said, on one line.
std::string NotComparedLine(const ProvisionPageReport &page) {
  std::string line = page.page + ": " + ProvisionStatusName(page.status);
  for (size_t i = 0; i < page.messages.size(); ++i) {
    line += (i == 0 ? " (" : "; ") + DtuEscapeControl(page.messages[i]);
  }
  return line + (page.messages.empty() ? "" : ")");
}

std::string Summary(const ProvisionDeviceReport &device) {
  int agree = 0;
  int compared = 0;
  size_t differences = 0;
  for (const ProvisionPageReport &page : device.pages) {
    if (page.status == ProvisionStatus::kVerified) ++agree;
    if (page.status == ProvisionStatus::kVerified || page.status == ProvisionStatus::kDiffers) ++compared;
    differences += page.diffs.size();
  }
  std::ostringstream out;
  out << device.port << ": ";
  if (differences == 0 && compared == static_cast<int>(device.pages.size())) {
    out << "device and file agree on " << compared << " pages";
  } else {
    out << agree << " of " << device.pages.size() << " pages agree, " << differences
        << (differences == 1 ? " difference" : " differences");
  }
  if (!device.error.empty()) out << "; " << device.error;
  out << " (exit " << ProvisionDeviceExitCode(device) << ")\n";
  return out.str();
}

}  // namespace

std::string ProvisionDiffText(const ProvisionReport &report) {
  std::ostringstream out;
  for (const ProvisionDeviceReport &device : report.devices) {
    for (const ProvisionPageReport &page : device.pages) {
      for (const ProvisionFieldDiff &d : page.diffs) out << ProvisionDiffLine(page.page, d) << "\n";
    }
    // Pages never started are named only when the summary does not say why.
    for (const ProvisionPageReport &page : device.pages) {
      const bool compared = page.status == ProvisionStatus::kVerified || page.status == ProvisionStatus::kDiffers;
      const bool explained = page.status == ProvisionStatus::kNotDone && !device.error.empty();
      if (!compared && !explained) out << NotComparedLine(page) << "\n";
    }
    out << Summary(device);
  }
  return out.str();
}
