// How answers reach a page object. The answer table calls plain functions;
// a page writes each handler as a member function, named after the value it
// applies (`DtuMqtt::DtuMqttServerSet`), and lists them in one table:
//
//   class DtuMqtt : public ... {
//     void DtuMqttServerSet(const char *value, int length);
//     ...
//     DtuPageReference<DtuMqtt> reference_{this};  // the last member
//   };
//   DtuAttachPageAnswers({{"mqtt-addr", &DtuPageAnswer<&DtuMqtt::DtuMqttServerSet>}, ...});
//
// DtuPageAnswer<&Page::Member> is the plain function the table gets: it
// finds the page through the reference its DtuPageReference member keeps and
// calls the member on it.
#pragma once

#include <atomic>
#include <initializer_list>
#include <vector>

#include "base/dtu_log.h"
#include "link/dtu_cmd_resp_table.h"

// The page object the answer handlers of `Page` reach, set while a page of
// that class lives. A newer page of the class takes the reference over; an
// older one that goes leaves the newer one's in place. Declared as the page's
// last member, it is cleared before the rest of the page goes.
template <typename Page>
class DtuPageReference {
 public:
  explicit DtuPageReference(Page *page) : page_(page) { current_.store(page, std::memory_order_release); }
  ~DtuPageReference() {
    Page *mine = page_;
    current_.compare_exchange_strong(mine, nullptr, std::memory_order_acq_rel);
  }
  DtuPageReference(const DtuPageReference &) = delete;
  DtuPageReference &operator=(const DtuPageReference &) = delete;

  // Null before the first page of the class exists and after the last went.
  static Page *Current() { return current_.load(std::memory_order_acquire); }

 private:
  Page *const page_;
  static inline std::atomic<Page *> current_{nullptr};
};

namespace dtu_page_answers {

template <typename Method>
struct PageOf;

template <typename Page>
struct PageOf<void (Page::*)(const char *, int)> {
  using type = Page;
};

}  // namespace dtu_page_answers

// The answer table's plain handler made from `void Page::Method(const char
// *value, int length)`: calls it on the page's current object, or drops the
// answer when no page of the class exists (any more).
template <auto Method>
void DtuPageAnswer(const char *value, int length) {
  using Page = typename dtu_page_answers::PageOf<decltype(Method)>::type;
  Page *page = DtuPageReference<Page>::Current();
  if (page == nullptr) {
    DTU_LOG("the page of this answer is gone, answer ignored.");
    return;
  }
  (page->*Method)(value, length);
}

// One row of a page's answer table: the device key (every case variant of it
// in the response table is covered) and the handler.
struct DtuPageAnswerRow {
  const char *key;
  DtuCmdRespHandler handler;
};

// Attaches every row; returns the count of response table rows attached.
inline int DtuAttachPageAnswers(const std::vector<DtuPageAnswerRow> &rows) {
  int attached = 0;
  for (const DtuPageAnswerRow &row : rows) attached += DtuCmdAttachHandler(row.key, row.handler);
  return attached;
}
