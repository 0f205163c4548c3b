#include "pages/kit/dtu_page_send.h"

#include <cstdio>

#include "base/dtu_lang.h"
#include "base/dtu_log.h"
#include "base/dtu_message.h"
#include "base/dtu_text_id.h"
#include "link/dtu_cmd_port.h"
#include "pages/kit/dtu_read_watch.h"

bool DtuPagePortOpen() {
  if (DtuCmdPort::OpenInstance() != nullptr) return true;
  DtuWarningBox(DtuLangText(DtuTextId::kPortNotOpen));
  return false;
}

void DtuPageQueueLine(const std::string &line) {
  DtuCmdPort::DtuCmdRingbufSend(line.c_str(), static_cast<int>(line.size()));
}

std::string DtuPageGetLine(const char *key) { return std::string("AT+ZEVCFG=get|") + key + "\r\n"; }

void DtuPageQueueGet(const char *key) {
  const std::string line = DtuPageGetLine(key);
  const DtuCmdTag tag = DtuReadWatch::TagQuery(key);
  if (DtuCmdPort::DtuCmdRingbufSend(line.c_str(), static_cast<int>(line.size()), tag) != 0) {
    DtuCmdReportNotQueued(tag);  // the ring was full: this query gets no answer
  }
}

std::string DtuPageFormatText(DtuTextId text_id, const std::string &field, int number) {
  char buffer[512];
  std::snprintf(buffer, sizeof(buffer), DtuLangText(text_id), field.c_str(), number);
  return buffer;
}

void DtuSetLines::Add(const std::string &field, const std::string &key, const std::string &payload) {
  lines_.push_back("AT+ZEVCFG=set|" + key + "|" + payload + "\r\n");
  fields_.push_back(field);
}

void DtuSetLines::AddLine(const std::string &field, const std::string &line) {
  lines_.push_back(line);
  fields_.push_back(field);
}

bool DtuSetLines::Fit() const {
  const size_t max_line = kDtuSetLineBuffer - 1;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].size() <= max_line) continue;
    DTU_LOG("line of %s too long : %d.", fields_[i].c_str(), static_cast<int>(lines_[i].size()));
    DtuWarningBox(DtuPageFormatText(DtuTextId::kLineTooLong, fields_[i], static_cast<int>(max_line)));
    return false;
  }
  return true;
}

void DtuSetLines::Append(const DtuSetLines &other) {
  lines_.insert(lines_.end(), other.lines_.begin(), other.lines_.end());
  fields_.insert(fields_.end(), other.fields_.begin(), other.fields_.end());
}

void DtuSetLines::Queue() const {
  for (const std::string &line : lines_) DtuPageQueueLine(line);
}
