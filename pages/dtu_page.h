// What every settings page shares: the signals a view or varnokctl listens
// to, and access to the page's fields by the page's own names, so that a page
// can be driven without any widget.
#pragma once

#include <QObject>

#include <atomic>
#include <string>
#include <vector>

#include "base/dtu_text_id.h"

struct DtuPageFieldInfo {
  std::string name;    // the page's own name ("IMEI", "BaudRate", ...)
  bool is_list;        // the value is a list index
  int list_size;       // entries of the list when is_list
};

class DtuPage : public QObject {
  Q_OBJECT

 public:
  explicit DtuPage(QObject *parent = nullptr) : QObject(parent) {}

  // The short name varnokctl uses ("devinfo", "dataport", ...).
  virtual const char *PageName() const = 0;
  virtual std::vector<DtuPageFieldInfo> Fields() const = 0;
  // Text of a field, a list field as its selected index (-1: no selection).
  // Names compare without regard to case. False for an unknown name.
  virtual bool GetField(const std::string &name, std::string &value) const = 0;
  // Changes one field as the user would; a list takes an index in range.
  // Emits nothing: the caller is the one who changed it.
  virtual bool SetField(const std::string &name, const std::string &value, std::string &error) = 0;

  // The page's Read and Set (every half, on the TCP/UDP page). False when
  // the page refused (port closed, a field too long): nothing was queued.
  virtual bool Read() = 0;
  virtual bool Set() = 0;
  // Save to Local and Read Local, on the file DtuPageConfigPath() names.
  virtual bool OnBnClickedBtSaveLocal() = 0;
  virtual bool OnBnClickedBtReadLocal() = 0;
  // True from Read until the answer to its last query arrived.
  virtual bool ReadPending() const { return read_pending_.load(); }
  // True from Set until the answer that confirms it arrived.
  virtual bool SetPending() const { return set_pending_.load(); }
  // True while a worker of the page may still queue commands: an empty
  // command queue does not yet mean that every answer is in.
  virtual bool Busy() const { return false; }

 signals:
  // The model changed (an answer, Read, Read Local): views refresh.
  void Changed();
  // The answer to the last query of a Read arrived.
  void ReadFinished();
  // A Set was confirmed by the device (the success message was shown).
  void SetConfirmed();

 protected:
  // Raised by a Set that queued its lines.
  void RaiseSetPending() { set_pending_.store(true); }
  // On the answer that ends a Set: when one is pending, clears the flag,
  // shows the page's success text and tells the listeners.
  void ConfirmSet(DtuTextId success_text_id);
  void StartRead() { read_pending_.store(true); }
  // On the answer to the last query of a Read.
  void FinishRead();

  // Answers arrive on the page's own thread; the flags are atomic all the
  // same, since they are also read from varnokctl's waiting loop.
  std::atomic<bool> set_pending_{false};
  std::atomic<bool> read_pending_{false};
};
