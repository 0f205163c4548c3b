// The visual field editor of the heartbeat and data packets: up to ten typed
// fields make the packet's hexadecimal content, and their layout (one
// 20-character record per field, after an 8-character head naming the CRC
// range) goes to the device so that it can show and recompute them.
#pragma once

#include <string>
#include <vector>

#include "pages/bhu/dtu_bhu_hex.h"

// Field types, as the field type list orders them.
enum class DtuBhuFieldType { kFixedHex = 0, kFixedString, kDeviceParam, kCrc16Be, kCrc16Le };
constexpr int kDtuBhuFieldTypes = 5;
constexpr int kDtuBhuFieldsMax = 10;
// Characters of a field value in its layout record.
constexpr int kDtuBhuFieldValueMax = 16;

struct DtuBhuField {
  int type = 0;  // index in the field type list; -1: none selected
  std::string value;
};

bool DtuBhuIsCrcField(int type);

// The content the fields make, field by field (values trimmed): a Fixed HEX
// value as typed, a Fixed String as "%02X" per byte, a Device Param ("${...}")
// as typed, a CRC field as "${CRC16}". The first field that fails its check
// gives the fault, with its number.
DtuBhuCheck DtuBhuComposeFields(const std::vector<DtuBhuField> &fields, std::string &content);

// The field layout payload: CRC present, CRC byte order, first and last field
// of the CRC range (from 0), field count, then the records. The first CRC
// field's value is its range "SSEE" (fields counted from 1), which must lie
// before the CRC field itself. A record carries its value as text, so a value
// holding reserved text is refused here too.
DtuBhuCheck DtuBhuBuildLayout(const std::vector<DtuBhuField> &fields, std::string &payload);

// A layout answer: `count` is 0 when the answer names no count in 1..10;
// `fields` holds the records present, a type -1 where the code is unknown.
struct DtuBhuLayout {
  int count = 0;
  std::vector<DtuBhuField> fields;
};
DtuBhuLayout DtuBhuParseLayout(const std::string &value);

// True when text holds what the line would change on its way: a line break
// (it ends the command early), or the device's escapes "[dec]" and "[comma]"
// (it turns them into "|" and ",").
bool DtuBhuHasReservedText(const std::string &text);

// Text with blanks, tabs and line ends taken off both ends.
std::string DtuBhuTrim(const std::string &text);
