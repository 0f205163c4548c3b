// The netInfo payload: "apn:<APN>&username:<user>&pwd:<password>", with a
// closing "&" in the automatic form, whose APN is "auto".
#pragma once

#include <string>

// The fixed payload of the automatic setting.
extern const char kDtuNetInfoAuto[];

struct DtuNetInfo {
  std::string apn;
  std::string username;
  std::string pwd;
};

// "apn:%s&username:%s&pwd:%s" of the three texts (nothing escaped).
std::string DtuNetInfoFormat(const DtuNetInfo &info);

// Splits an answer at the first "apn:", "username:" and "pwd:" markers. Each
// part runs to the character before the next marker (the password to the
// next "&"), trailing "&" removed; a missing marker gives an empty part.
// Blanks stay.
DtuNetInfo DtuNetInfoParse(const std::string &value);

// The APN of the automatic setting: "auto" in any letter case.
bool DtuNetInfoIsAuto(const std::string &apn);
