// The business packets on the wire: the payload of "bhu-login",
// "bhu-heart", "bhu-data" and "bhu-header" (switch, data type, period for
// heartbeat and data, content length, content), built for a Set and parsed
// from an answer, and the checks a content passes before it is sent.
#pragma once

#include <string>
#include <vector>

#include "pages/bhu/dtu_bhu_layout.h"

enum class DtuBhuPacketType { kLogin = 0, kHeart, kData, kHeader };
constexpr int kDtuBhuPacketTypes = 4;

// Data type digit: text, hexadecimal text, or hexadecimal made of fields.
enum DtuBhuDataType { kDtuBhuText = 0, kDtuBhuHexText = 1, kDtuBhuHexFields = 2 };

constexpr long kDtuBhuPeriodMax = 99999999;  // the period is sent as 8 digits
constexpr int kDtuBhuAnswerLengthMax = 1024;

const char *DtuBhuPacketKey(DtuBhuPacketType type);
// The field layout key; null for the header signature, which has none.
const char *DtuBhuLayoutKey(DtuBhuPacketType type);
bool DtuBhuHasPeriod(DtuBhuPacketType type);
// Bytes a content may hold: 1024 for the data packet, 256 for the others.
int DtuBhuContentLimit(DtuBhuPacketType type);

// The content as it goes on the wire, for data type 0 (the text trimmed),
// 1 (normalised hexadecimal) or 2 (made of the fields). Fails on what the
// normalisation or the field editor refuse, on a content over the type's
// limit, and on text the line would change on its way (line breaks, and the
// device's escapes "[dec]" and "[comma]", which it turns into "|" and ",").
DtuBhuCheck DtuBhuPrepareContent(DtuBhuPacketType type, int data_type, const std::string &box_text,
                                 const std::vector<DtuBhuField> &fields, std::string &content);

// The period field: a whole number of seconds in 1..kDtuBhuPeriodMax.
DtuBhuCheck DtuBhuParsePeriod(const std::string &text, long &period);

// Payload of a packet switched on; the length counts the content's bytes.
std::string DtuBhuBuildPayload(DtuBhuPacketType type, int data_type, long period, const std::string &content);

// An answer. The content is shown by data type: text as it came, hexadecimal
// bytes as "%02X" pairs. A length outside 1..1024 gives an empty content; a
// content shorter than its length (bytes lost on the way: a 0x00 byte ends
// the answer text, trailing blanks are trimmed) is `incomplete` and empty.
struct DtuBhuAnswer {
  bool on = false;
  int data_type = kDtuBhuText;
  long period = 0;
  int length = 0;
  std::string content;
  bool incomplete = false;
  // False when the value is not a packet answer at all (empty, no switch
  // digit, a head that is not digits): nothing of it may be shown or kept.
  bool readable = false;
};
DtuBhuAnswer DtuBhuParseAnswer(DtuBhuPacketType type, const std::string &value);

// True when the line, escaped as the command port queues it, fits one
// command slot whole: nothing cut, its CR LF kept, every comma escaped.
bool DtuBhuLineFitsSlot(const std::string &line);
