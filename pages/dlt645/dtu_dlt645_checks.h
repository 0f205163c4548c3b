// The checks of the DL/T 645 Set buttons and the set lines they build. Each
// check shows its message (naming the channel or parameter and the field)
// and returns false on the first failure, so nothing is sent.
#pragma once

#include "pages/kit/dtu_page_send.h"

struct DtuDlt645MeterRow;
struct DtuDlt645RuleRows;

// Channel k's row: preamble 1..4, DI count 1..8 (decimal), every DI code
// of 8 hexadecimal digits, an address of at most 12 hexadecimal digits and a
// cycle of 0..9999999 (what the device keeps), no record separator in the
// address or cycle. Adds "dlt645-meter-cfg" for the row, named "addr<k>".
bool DtuDlt645AddMeterLine(int k, const DtuDlt645MeterRow &row, DtuSetLines &lines);

// Configure channel c's rule: for Parse, parameters 1..count with a tag and
// a DI of 8 hexadecimal digits, no record separator and no escape word
// ("[dec]", "[comma]") in the tag, a multiplier of at most 9999999. Adds the
// rule line ("rule<c>") and, for Parse, the item lines ("tag<c>_<p>").
bool DtuDlt645AddRuleLines(int c, const DtuDlt645RuleRows &rule, DtuSetLines &lines);

// The multiplier as sent: an empty field or a value below 1 is 1.
int DtuDlt645RateToSend(const std::string &rate);

// "Channel 2 Meter Addr" / "通道2 电表地址": how messages name a field.
std::string DtuDlt645ChannelField(int k, DtuTextId heading_id);
std::string DtuDlt645ParamField(int p, DtuTextId heading_id);
