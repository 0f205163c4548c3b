#include "provision/provision_device.h"

#include <QElapsedTimer>

#include <algorithm>
#include <memory>
#include <utility>

#include "base/dtu_message.h"
#include "config/dtu_config.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_store.h"
#include "provision/provision_link.h"
#include "provision/provision_pages.h"
#include "provision/varnokctl_exit_codes.h"

namespace {

using FieldValues = std::vector<std::pair<std::string, std::string>>;

FieldValues Snapshot(const DtuPage &page) {
  FieldValues values;
  for (const DtuPageFieldInfo &info : page.Fields()) {
    std::string value;
    page.GetField(info.name, value);
    values.emplace_back(info.name, value);
  }
  return values;
}

std::string Trimmed(const std::string &text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Every field whose value in `device` differs from the one in `file`.
// Values compare without white space at their ends, which the configuration
// file cannot hold (the automatic APN's user name reads back as a blank).
std::vector<ProvisionFieldDiff> Compare(const FieldValues &device, const FieldValues &file) {
  std::vector<ProvisionFieldDiff> diffs;
  for (size_t i = 0; i < device.size() && i < file.size(); ++i) {
    if (Trimmed(device[i].second) != Trimmed(file[i].second)) {
      diffs.push_back({device[i].first, device[i].second, file[i].second});
    }
  }
  return diffs;
}

// Apply's read-back: every field that reads back other than written. A field
// that both Reads left empty is one the device does not report in its
// present state (the parameters of a DL/T 645 rule that forwards
// transparently): what the file put there cannot be read back, so it is not
// held against the device.
std::vector<ProvisionFieldDiff> ReadBackDiffs(const FieldValues &before, const FieldValues &written,
                                              const FieldValues &read) {
  std::vector<ProvisionFieldDiff> diffs;
  for (const ProvisionFieldDiff &d : Compare(read, written)) {
    const auto was = std::find_if(before.begin(), before.end(), [&](const auto &f) { return f.first == d.field; });
    if (Trimmed(d.device).empty() && was != before.end() && Trimmed(was->second).empty()) continue;
    diffs.push_back(d);
  }
  return diffs;
}

std::string Joined(const std::vector<std::string> &keys) {
  std::string text;
  for (const std::string &key : keys) text += (text.empty() ? "" : ", ") + key;
  return text;
}

// The fields a read-back left as they were (the page marks them: no
// answer it could read, a rule the device reports empty) that the file
// wrote: nothing proves they hold.
std::vector<std::string> NotReadBack(const DtuPage &page, const FieldValues &written) {
  std::vector<std::string> names;
  for (const std::string &name : page.MarkedFields()) {
    const bool listed = std::any_of(written.begin(), written.end(), [&](const auto &f) { return f.first == name; });
    if (listed && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  return names;
}

std::string NotVerifiedNote(const std::vector<std::string> &names) {
  constexpr size_t kShown = 6;
  std::string text = "not verified, the device gave no read-back of ";
  for (size_t i = 0; i < names.size() && i < kShown; ++i) text += (i ? ", " : "") + names[i];
  if (names.size() > kShown) text += " and " + std::to_string(names.size() - kShown) + " more";
  return text;
}

// Every field of a compared page, each marked when diff counted it.
std::vector<ProvisionComparedField> ComparedFields(const FieldValues &device, const FieldValues &file,
                                                   const std::vector<ProvisionFieldDiff> &diffs) {
  std::vector<ProvisionComparedField> fields;
  for (size_t i = 0; i < device.size() && i < file.size(); ++i) {
    const std::string &name = device[i].first;
    const bool differs = std::any_of(diffs.begin(), diffs.end(), [&](const auto &d) { return d.field == name; });
    fields.push_back({name, device[i].second, file[i].second, differs});
  }
  return fields;
}

// While a page works, what it would show the user is kept for the report.
class MessageRecorder {
 public:
  explicit MessageRecorder(std::vector<std::string> &into)
      : previous_(DtuSetMessageSink([&into](const std::string &text) { into.push_back(text); })) {}
  ~MessageRecorder() { DtuSetMessageSink(previous_); }

 private:
  DtuMessageSink previous_;
};

// One page's (or one group's) work on the link, judged by the outcomes of
// its own lines.
class PageRun {
 public:
  PageRun(ProvisionLink &link, DtuPage &page, ProvisionPageReport &report, std::string group = std::string())
      : link_(link), page_(page), report_(report), group_(std::move(group)) {}

  // False (with the page's status set) when the step did not complete. The
  // page named the failing field in its message; a Read without some
  // answers of their own names their keys here.
  bool Completed(ProvisionStep step) {
    switch (step) {
      case ProvisionStep::kDone: return true;
      case ProvisionStep::kRefused: report_.status = ProvisionStatus::kRefused; break;
      case ProvisionStep::kPortLost: report_.status = ProvisionStatus::kPortLost; break;
      case ProvisionStep::kDeviceError:
      case ProvisionStep::kFailed: report_.status = ProvisionStatus::kDeviceError; break;
      case ProvisionStep::kNoAnswer:
        report_.status = ProvisionStatus::kNoAnswer;
        if (!missing_.empty()) report_.messages.push_back("no answer of its own for " + Joined(missing_));
        break;
    }
    for (const DtuPageAction::Failure &f : page_.ActionFailures()) {
      report_.failed_fields.push_back(f.field + ": " + DtuCmdOutcomeName(f.outcome));
    }
    return false;
  }

  bool Read() { return Completed(link_.Read(page_, missing_)); }

  // False (with the page's status set) when the file does not hold the page
  // whole: nothing of it is sent, not even its Read.
  bool InFile(const DtuConfig &file) {
    std::string why;
    const DtuPageInFile found = DtuPageFoundIn(page_, file, why);
    if (found == DtuPageInFile::kHeld) return true;
    report_.status = found == DtuPageInFile::kNotInFile ? ProvisionStatus::kNotInFile : ProvisionStatus::kRefused;
    report_.messages.push_back(why);
    return false;
  }

  // False (with the page's status set) when a page that runs its own steps
  // (the Modbus pages) ended them refused or failed, as it told the user.
  bool PageHeld(ProvisionStatus failed_as) {
    if (page_.Refused()) return report_.status = ProvisionStatus::kRefused, false;
    if (!page_.Failed()) return true;
    report_.status = page_.FailedOnDeviceError() ? ProvisionStatus::kDeviceError : failed_as;
    return false;
  }

  // The job's adjust hook, when it has one; false (the page refused) when it
  // refuses the page's values.
  bool Adjusted(const ProvisionJob &job) {
    std::string why;
    if (!job.adjust || job.adjust(page_, why)) return true;
    report_.status = ProvisionStatus::kRefused;
    report_.messages.push_back(why);
    return false;
  }

  void Apply(const DtuConfig &file, const ProvisionJob &job) {
    if (!InFile(file) || !Read() || !PageHeld(ProvisionStatus::kDeviceError)) return;
    const FieldValues before = Snapshot(page_);
    if (!page_.OnBnClickedBtReadLocal()) return void(report_.status = ProvisionStatus::kRefused);
    if (!Adjusted(job)) return;
    const FieldValues written = Snapshot(page_);
    const ProvisionStep set = link_.Set(page_);
    // A page that asked the device first and then refused wrote nothing.
    report_.sent = set != ProvisionStep::kRefused && !page_.Refused();
    if (!Completed(set) || !PageHeld(ProvisionStatus::kDeviceError)) return;
    report_.confirmed = true;
    if (!job.verify) return void(report_.status = ProvisionStatus::kConfirmed);
    const ProvisionStep back = link_.Read(page_, missing_);
    // A read-back the page could not finish (an answer without a value, of
    // another key, one that does not read) leaves the fields after it
    // unread: not verified, the page's message names where it stopped.
    if (back != ProvisionStep::kPortLost && page_.Failed() && !page_.FailedOnDeviceError()) {
      return void(report_.status = ProvisionStatus::kDiffers);
    }
    if (!Completed(back) || !PageHeld(ProvisionStatus::kDiffers)) return;
    report_.diffs = ReadBackDiffs(before, written, Snapshot(page_));
    const std::vector<std::string> unread = NotReadBack(page_, written);
    if (!unread.empty()) report_.messages.push_back(NotVerifiedNote(unread));
    report_.verified = report_.diffs.empty() && unread.empty();
    report_.status = report_.verified ? ProvisionStatus::kVerified : ProvisionStatus::kDiffers;
  }

  // The device against the file, on one page object, so fields the file
  // does not carry keep the device's values and never differ. The device's
  // side is what a backup into the file would keep of it (saved into a
  // scratch copy of the file and read back): a value the file cannot tell
  // from another (a field the device leaves empty while polling is off,
  // stored as 0) is no difference. A device value the page refuses to save
  // is compared as it came.
  void Diff(const DtuConfig &file, const ProvisionJob &job) {
    const std::string &file_path = job.file;
    const std::string &scratch = job.scratch;
    if (!InFile(file)) return;
    const ProvisionStep read = link_.Read(page_, missing_);
    report_.sent = read != ProvisionStep::kRefused;
    if (!Completed(read) || !PageHeld(ProvisionStatus::kDeviceError)) return;
    report_.confirmed = true;
    const FieldValues device = Snapshot(page_);
    FieldValues kept = device;
    {
      std::vector<std::string> scratch_messages;  // about the scratch copy, not the file
      MessageRecorder quiet(scratch_messages);
      DtuPageSetConfigPath(scratch);
      if (page_.OnBnClickedBtSaveLocal() && page_.OnBnClickedBtReadLocal()) kept = Snapshot(page_);
      DtuPageSetConfigPath(file_path);
    }
    if (!page_.OnBnClickedBtReadLocal()) return void(report_.status = ProvisionStatus::kRefused);
    if (!Adjusted(job)) return;
    const FieldValues in_file = Snapshot(page_);
    for (const ProvisionFieldDiff &d : Compare(kept, in_file)) {
      const auto as_read = std::find_if(device.begin(), device.end(), [&](const auto &f) { return f.first == d.field; });
      report_.diffs.push_back({d.field, as_read != device.end() ? as_read->second : d.device, d.file});
    }
    if (job.compared) job.compared(report_.page, group_, ComparedFields(device, in_file, report_.diffs));
    report_.verified = report_.diffs.empty();
    report_.status = report_.verified ? ProvisionStatus::kVerified : ProvisionStatus::kDiffers;
  }

  void Backup() {
    const ProvisionStep read = link_.Read(page_, missing_);
    report_.sent = read != ProvisionStep::kRefused;
    // A Read that failed keeps blanks and cut values: nothing is saved.
    if (!Completed(read) || !PageHeld(ProvisionStatus::kDeviceError)) return;
    report_.confirmed = true;
    report_.verified = page_.OnBnClickedBtSaveLocal();
    report_.status = report_.verified ? ProvisionStatus::kVerified : ProvisionStatus::kRefused;
  }

 private:
  ProvisionLink &link_;
  DtuPage &page_;
  ProvisionPageReport &report_;
  std::string group_;
  std::vector<std::string> missing_;
};

void RunVerb(const ProvisionJob &job, const DtuConfig &file, ProvisionLink &link, DtuPage &page,
             ProvisionPageReport &report, const std::string &group = std::string()) {
  PageRun run(link, page, report, group);
  if (job.verb == "backup") run.Backup();
  else if (job.verb == "diff") run.Diff(file, job);
  else run.Apply(file, job);
}

bool Failure(ProvisionStatus status) {
  return status != ProvisionStatus::kVerified && status != ProvisionStatus::kConfirmed &&
         status != ProvisionStatus::kDiffers && status != ProvisionStatus::kNotInFile;
}

// A page of several groups is worked group by group; the first group that
// fails ends the page with its status. A group the file does not hold (a
// file from before that group was kept) is left as the device has it; the
// page is "not in the file" only when none of its groups is.
void RunGroups(const ProvisionJob &job, const DtuConfig &file, ProvisionLink &link, DtuPage &page,
               ProvisionPageReport &report) {
  bool any_held = false;
  std::vector<std::string> skipped;  // "group: why" for each group the file does not hold
  std::vector<std::string> whys;     // the same, once each, without the group
  for (const std::string &group : page.GroupNames()) {
    page.SelectGroup(group);
    ProvisionPageReport part;
    part.page = report.page;
    {
      MessageRecorder recorder(part.messages);
      RunVerb(job, file, link, page, part, group);
    }
    if (part.status == ProvisionStatus::kNotInFile) {
      for (const std::string &why : part.messages) {
        skipped.push_back(group + ": " + why);
        if (std::find(whys.begin(), whys.end(), why) == whys.end()) whys.push_back(why);
      }
      continue;
    }
    for (const std::string &message : part.messages) report.messages.push_back(group + ": " + message);
    report.diffs.insert(report.diffs.end(), part.diffs.begin(), part.diffs.end());
    report.failed_fields.insert(report.failed_fields.end(), part.failed_fields.begin(), part.failed_fields.end());
    report.sent = report.sent || part.sent;
    report.confirmed = (!any_held || report.confirmed) && part.confirmed;
    report.verified = (!any_held || report.verified) && part.verified;
    any_held = true;
    report.status = part.status;
    if (Failure(part.status)) break;
  }
  const std::vector<std::string> &notes = any_held ? skipped : whys;
  report.messages.insert(report.messages.end(), notes.begin(), notes.end());
  if (!any_held) report.status = ProvisionStatus::kNotInFile;
  else if (!Failure(report.status) && !report.diffs.empty()) report.status = ProvisionStatus::kDiffers;
}

ProvisionPageReport RunPage(const ProvisionJob &job, const DtuConfig &file, ProvisionLink &link,
                            const std::string &name) {
  ProvisionPageReport report;
  report.page = name;
  QElapsedTimer clock;
  clock.start();
  {
    MessageRecorder recorder(report.messages);
    std::unique_ptr<DtuPage> made;
    DtuPage *page = job.page_of ? job.page_of(name) : (made = ProvisionCreatePage(name)).get();
    if (page == nullptr) {
      report.status = ProvisionStatus::kRefused;
      report.messages.push_back("no page \"" + name + "\" to work on");
    } else if (page->GroupNames().empty()) {
      RunVerb(job, file, link, *page, report);
    } else {
      RunGroups(job, file, link, *page, report);
    }
  }
  report.seconds = clock.elapsed() / 1000.0;
  return report;
}

// The file as apply found it, to tell which pages it holds. Its messages
// (a value left out) are not shown here: the notes name each such key for
// the page it belongs to.
DtuConfig LoadedFile(const ProvisionJob &job) {
  DtuConfig file;
  if (job.verb == "backup") return file;
  std::vector<std::string> dropped;
  MessageRecorder quiet(dropped);
  file.LoadFromFile(DtuPageConfigPath());
  return file;
}

// Verified, confirmed, or not in the file (nothing to do for it).
bool ProvisionPageWentWell(ProvisionStatus status) {
  return status == ProvisionStatus::kVerified || status == ProvisionStatus::kConfirmed ||
         status == ProvisionStatus::kNotInFile;
}

}  // namespace

ProvisionDeviceReport ProvisionRunDevice(ProvisionPort &port, const ProvisionJob &job,
                                         const ProvisionProgress &progress) {
  ProvisionDeviceReport device;
  device.port = job.serial.port;
  QElapsedTimer clock;
  clock.start();
  const DtuConfig file = LoadedFile(job);
  std::vector<std::string> pages = job.pages;
  if (job.verb == "apply") ProvisionOrderForFile(pages, file);
  for (const std::string &name : pages) device.pages.push_back(ProvisionPageNotDone(name));
  ProvisionLink link(port, job.timeout_ms);
  device.exit_code = link.Open(job.serial, device.error);
  if (device.exit_code == kExitOk && job.probe && !job.probe(link, device.error)) device.exit_code = kExitNoAnswer;
  const int count = static_cast<int>(pages.size());
  for (int i = 0; i < count && device.exit_code == kExitOk; ++i) {
    if (job.stop && job.stop()) {
      device.exit_code = kExitInterrupted;
      device.error = job.stop_text;
      break;
    }
    if (link.Lost()) break;
    if (progress) progress(i, count, pages[i]);
    device.pages[i] = RunPage(job, file, link, pages[i]);
    if (job.page_done) job.page_done(i, device.pages[i]);
    if (job.stop_at_first_failure && !ProvisionPageWentWell(device.pages[i].status)) break;
  }
  if (link.Lost()) device.error = link.LostText().empty() ? "the port was closed" : link.LostText();
  device.seconds = clock.elapsed() / 1000.0;
  return device;
}
