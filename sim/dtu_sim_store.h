// The simulated device's settings: one value per plain key, and per-channel
// payloads for the keys that take an argument (Modbus slave configuration and
// rules, Modbus cache channels, DL/T 645 meters and their rules).
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

class DtuSimStore {
 public:
  DtuSimStore();

  // The value a `get` answers with, or nothing for an unknown key or a bad
  // argument. Keys are matched without regard to letter case.
  std::optional<std::string> Get(const std::string &key, const std::string &argument) const;
  // Stores an unescaped `set` payload; returns the value the answer line
  // carries, or nothing when the key is unknown, read-only or the payload
  // cannot be placed.
  std::optional<std::string> Set(const std::string &key, const std::string &payload);
  void Reset();  // factory defaults (the device's "reload")

  // Direct access for tests and tools (plain keys only).
  std::string Value(const std::string &key) const;
  void SetValue(const std::string &key, const std::string &value);
  // The payload stored for an argument key under a channel index ("1", "1/2").
  std::string ChannelValue(const std::string &key, const std::string &index) const;

  std::string ToJson() const;
  bool FromJson(const std::string &json);

 private:
  std::optional<std::string> GetChannel(const std::string &key, const std::string &argument) const;
  std::optional<std::string> SetChannel(const std::string &key, const std::string &payload);
  std::optional<std::string> SetDlt645(const std::string &key, const std::string &payload);
  std::string DltMeterRecords() const;

  mutable std::mutex mutex_;
  std::map<std::string, std::string> values_;                               // lower-case key -> value
  std::map<std::string, std::map<std::string, std::string>> channels_;      // key -> index -> payload
};

// Lower-case copy of an ASCII text.
std::string DtuSimLower(const std::string &text);
