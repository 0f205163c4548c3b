// What the Modbus polling page and the Modbus cache page know of each other:
// the device may not poll as a Modbus master and proxy a Modbus cache at the
// same time, so each page must know whether the other's function is on
// before it switches its own on.
//
// The page host gives both pages of the window one object
// (DtuModbusShareSwitches); each page then tells it its own switch and asks
// it the other's. A page alone, as varnokctl makes it, has an object nobody
// else tells: it learns the other switch from the device instead.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

class DtuModbus;
class DtuModbusCache;

class DtuModbusSwitches {
 public:
  using Source = std::function<bool()>;

  // The page whose switch this is tells it through `source` while it lives;
  // an empty source ends that (the page goes).
  void TellPolling(Source source) { polling_ = std::move(source); }
  void TellCache(Source source) { cache_ = std::move(source); }

  // Nothing when no page of that kind shares this object: the device holds
  // the only answer.
  std::optional<bool> PollingOn() const { return polling_ ? std::optional<bool>(polling_()) : std::nullopt; }
  std::optional<bool> CacheOn() const { return cache_ ? std::optional<bool>(cache_()) : std::nullopt; }

 private:
  Source polling_;
  Source cache_;
};

// One object for both pages: each tells it its switch and asks it the other's.
void DtuModbusShareSwitches(DtuModbus &polling, DtuModbusCache &cache);

// The value of the first "<key> : <value>" line of an answer as a number of
// at most two digits (a switch), the text after a further ":" when there is
// one; nothing when there is no such line or its value is no such number.
std::optional<int> DtuModbusSwitchInAnswer(const std::string &answer, const char *key);
