// The DL/T 645 meter payloads: meter channel records, forwarding rules and
// rule items. Each is "name:value" fields joined by "/"; several records may
// be joined by ";". Free functions on plain values, no page state.
#pragma once

#include <string>
#include <vector>

constexpr int kDlt645Channels = 6;  // meter channels and configure channels
constexpr int kDlt645DiCodes = 8;   // DI codes per meter channel
constexpr int kDlt645Params = 8;    // parameter rows per forwarding rule

// One meter channel as the device reports it. The texts are kept as they
// came (numbers too), so the page shows what the device holds.
struct DtuDlt645Meter {
  // The fields a record must carry, as bits of `present`.
  enum Field : unsigned { kAddr = 1, kPreamble = 2, kCycle = 4, kDiNum = 8, kAll = 15 };
  int ch = 0;  // 0 when the record carried no usable "ch"
  unsigned present = 0;  // the fields the record carried usably (a value too long is not)
  std::string addr;
  std::string preamble;
  std::string cycle;
  std::string di_num;
  std::string di[kDlt645DiCodes];  // di1..di8, empty when absent
  int highest_di = 0;               // highest DI number received, 0 for none

  // DIs 1..highest joined with ","; a DI missing in between is an empty element.
  std::string DiList() const;
};

// The codes of a typed DI list: split at ",", blanks removed, empty elements
// dropped, at most eight kept.
std::vector<std::string> DtuDlt645SplitDiList(const std::string &list);

// "/di1:<code>/di2:<code>..." for the codes given (at most eight).
std::string DtuDlt645DiPart(const std::vector<std::string> &codes);

// The set payload of one meter channel:
// "ch:%d/addr:%s/preamble:%s/cycle:%s/diNum:%s" + DI part + ";".
std::string DtuDlt645MeterPayload(int ch, const std::string &addr, const std::string &preamble,
                                  const std::string &cycle, const std::string &di_num,
                                  const std::vector<std::string> &codes);

// Every record of a `dlt645-meter-cfg` answer value, in order. Records are
// split at ";" and may repeat the "dlt645-meter-cfg : " prefix (one answer
// line per record); fields are split at "/", name and value at the first ":".
// Names longer than 31 characters and values longer than 63 are not used;
// ch, preamble, cycle and diNum keep at most 7 characters, addr and the DIs 15.
// The whole value is read, however long.
std::vector<DtuDlt645Meter> DtuDlt645ParseMeters(const std::string &value);

// A channel's forwarding rule: 0 Transparent, 1 Parse, with its item count.
struct DtuDlt645Rule {
  int ch = 0;
  int rule = 0;
  int param_cnt = 0;
};

// One parameter of a Parse rule.
struct DtuDlt645RuleItem {
  int ch = 0;
  int param_id = 0;
  std::string tag;
  std::string di;
  int data_type = 0;
  int data_endian = 0;
  int data_rule = 0;
  int rate = 1;
};

// "ch:%d/rule:%d/paramCnt:%d"
std::string DtuDlt645RulePayload(const DtuDlt645Rule &rule);
// "ch:%d/paramId:%d/tag:%s/di:%s/dataType:%d/dataEndian:%d/dataRule:%d/rate:%d"
std::string DtuDlt645RuleItemPayload(const DtuDlt645RuleItem &item);

// A `dlt645-meter-rule` answer value: read from "ch:" on, missing numbers 0.
// False when the value holds no "ch:".
bool DtuDlt645ParseRule(const std::string &value, DtuDlt645Rule &rule);
// Every record of a `dlt645-meter-rule-item` answer that holds "ch:";
// missing numbers are 0, a missing rate is 1; tag keeps at most 63
// characters, di 31.
std::vector<DtuDlt645RuleItem> DtuDlt645ParseRuleItems(const std::string &value);

// True for exactly eight characters 0-9, a-f, A-F.
bool DtuDlt645IsDiCode(const std::string &code);
// The first of "/", ":" and ";" in a text, or 0: these split a record, so a
// field holding one would be read back differently.
char DtuDlt645RecordSeparatorIn(const std::string &text);
// Copy without white space at both ends.
std::string DtuDlt645Trim(const std::string &text);
