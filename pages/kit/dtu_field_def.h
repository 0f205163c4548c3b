// One declaration per field of a page: the name varnokctl and the view use,
// the device key of its get/set lines, its kind, where the configuration
// file keeps it (and so the capacity a Save to Local checks), whether its
// answer confirms a Set, and how its value is turned into the wire and file
// value and back where that is not the value as it is, and the handler the
// answer table calls for its key.
//
// A field's value, as the page hands it around, is its text: the text of a
// text or number field, the decimal index of a list field.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/dtu_text_id.h"
#include "config/dtu_config.h"
#include "link/dtu_cmd_resp_table.h"
#include "pages/kit/dtu_page_answers.h"

enum class DtuFieldKind { kText, kNumber, kList };

// Where the configuration record keeps a field, read and written as text.
struct DtuFileSlot {
  std::size_t capacity = 0;                               // bytes a text member holds; 0 for a number
  std::string (*get)(const DtuConfig &config) = nullptr;  // null: not in the file
  void (*put)(DtuConfig &config, const std::string &value) = nullptr;

  bool Present() const { return get != nullptr; }
};

// The slot of `config.*Group.*Member`: an int member takes the value as atoi
// reads it, a fixed text member takes the text (and gives its capacity).
template <auto Group, auto Member>
DtuFileSlot DtuFileSlotOf() {
  using Stored = std::decay_t<decltype(std::declval<DtuConfig &>().*Group.*Member)>;
  DtuFileSlot slot;
  if constexpr (std::is_same_v<Stored, int>) {
    slot.get = [](const DtuConfig &c) { return std::to_string(c.*Group.*Member); };
    slot.put = [](DtuConfig &c, const std::string &v) { c.*Group.*Member = std::atoi(v.c_str()); };
  } else {
    slot.capacity = Stored::kCapacity;
    slot.get = [](const DtuConfig &c) { return (c.*Group.*Member).str(); };
    slot.put = [](DtuConfig &c, const std::string &v) { c.*Group.*Member = v; };
  }
  return slot;
}

// The slots of one group of the record: DtuFileGroup<&DtuConfig::mqtt>::Slot<&MqttGroup::Server>().
template <auto Group>
struct DtuFileGroup {
  template <auto Member>
  static DtuFileSlot Slot() {
    return DtuFileSlotOf<Group, Member>();
  }
};

// The slot of a key in a section a page declares beside the record's
// (config/dtu_config_added.h), a text of DtuConfig::AddedText's capacity:
//   constexpr char kSection[] = "KIT", kGreeting[] = "Greeting";
//   DtuAddedFileSlot<kSection, kGreeting>()
template <const char *Section, const char *Key>
DtuFileSlot DtuAddedFileSlot() {
  DtuFileSlot slot;
  slot.capacity = DtuConfig::AddedText::kCapacity;
  slot.get = [](const DtuConfig &c) { return c.AddedField(Section, Key).str(); };
  slot.put = [](DtuConfig &c, const std::string &v) { c.AddedField(Section, Key) = v; };
  return slot;
}

// Conversions of a field's value; a null one passes the value as it is.
struct DtuFieldCodec {
  std::string (*to_wire)(const std::string &value) = nullptr;     // payload of the set line
  std::string (*to_file)(const std::string &value) = nullptr;     // what the file stores
  std::string (*from_file)(const std::string &stored) = nullptr;  // back into the page
};

struct DtuFieldDef {
  const char *name = "";      // the page's own name ("Server", "BaudRate", ...)
  const char *key = nullptr;  // device key; null: the field has no line of its own
  DtuFieldKind kind = DtuFieldKind::kText;
  int list_size = 0;  // entries of a list field
  // A list field's entries as the view shows them, in the current language.
  std::vector<std::string> (*items)() = nullptr;
  bool confirms_set = false;  // its answer confirms a Set
  DtuFileSlot file;
  DtuFieldCodec codec;
  // A number field whose range the device's format fixes (a port 1..65535,
  // QoS 0..2): a Set refuses a value outside it. None when max < min.
  long long min_value = 0;
  long long max_value = -1;
  DtuCmdRespHandler answer = nullptr;  // attached to the key's answer rows
  // The label the window shows beside the field where it is not the name.
  std::optional<DtuTextId> label;
  // What Read Local takes for a stored number outside the field's range; none:
  // a list takes 0, a number keeps its value.
  std::optional<long long> file_fallback;

  DtuFieldDef AnsweredBy(DtuCmdRespHandler handler) const {
    DtuFieldDef def = *this;
    def.answer = handler;
    return def;
  }
  // The handler made from the page's member: AnsweredBy<&DtuMqtt::DtuMqttServerSet>().
  template <auto Method>
  DtuFieldDef AnsweredBy() const {
    return AnsweredBy(&DtuPageAnswer<Method>);
  }
  DtuFieldDef ConfirmingSet() const {
    DtuFieldDef def = *this;
    def.confirms_set = true;
    return def;
  }
  DtuFieldDef Listing(std::vector<std::string> (*list_items)()) const {
    DtuFieldDef def = *this;
    def.items = list_items;
    return def;
  }
  DtuFieldDef StoredIn(DtuFileSlot slot) const {
    DtuFieldDef def = *this;
    def.file = slot;
    return def;
  }
  DtuFieldDef Ranging(long long min, long long max) const {
    DtuFieldDef def = *this;
    def.min_value = min;
    def.max_value = max;
    return def;
  }
  bool Ranged() const { return max_value >= min_value; }
  DtuFieldDef FallingBackInFileTo(long long value) const {
    DtuFieldDef def = *this;
    def.file_fallback = value;
    return def;
  }
  DtuFieldDef Labelled(DtuTextId text_id) const {
    DtuFieldDef def = *this;
    def.label = text_id;
    return def;
  }
  DtuFieldDef WithCodec(DtuFieldCodec value_codec) const {
    DtuFieldDef def = *this;
    def.codec = value_codec;
    return def;
  }

  std::string WireValue(const std::string &value) const { return codec.to_wire ? codec.to_wire(value) : value; }
  std::string FileValue(const std::string &value) const { return codec.to_file ? codec.to_file(value) : value; }
  std::string ValueFromFile(const std::string &stored) const {
    return codec.from_file ? codec.from_file(stored) : stored;
  }
};

inline DtuFieldDef DtuFieldOfKind(const char *name, const char *key, DtuFieldKind kind, int list_size) {
  DtuFieldDef def;
  def.name = name;
  def.key = key;
  def.kind = kind;
  def.list_size = list_size;
  return def;
}
inline DtuFieldDef DtuTextFieldDef(const char *name, const char *key) {
  return DtuFieldOfKind(name, key, DtuFieldKind::kText, 0);
}
inline DtuFieldDef DtuNumberFieldDef(const char *name, const char *key) {
  return DtuFieldOfKind(name, key, DtuFieldKind::kNumber, 0);
}
inline DtuFieldDef DtuListFieldDef(const char *name, const char *key, int list_size) {
  return DtuFieldOfKind(name, key, DtuFieldKind::kList, list_size);
}
