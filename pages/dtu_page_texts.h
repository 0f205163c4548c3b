// Ids of the texts the settings pages show, as they stand in the text table
// (base/dtu_lang_table.cpp).
#pragma once

enum DtuPageTextId {
  kTextSet = 31,
  kTextRead = 32,
  kTextSaveToLocal = 33,
  kTextReadLocal = 34,
  kTextConfigSucceeded = 141,
  kTextConfigFailed = 142,
  kTextPortNotOpen = 143,
  kTextReadConfigFileFailed = 144,
  kTextReadLocalSucceeded = 145,
  kTextSaveConfigSucceeded = 146,
  kTextSaveConfigFailed = 147,
  kTextApnTooLong = 158,
  kTextUsernameTooLong = 159,
  kTextPasswordTooLong = 160,
  kTextNetConfigSucceeded = 161,
  kTextRebootSent = 162,
  kTextResetSent = 163,
  kTextAutoApn = 280,
  kTextManualApn = 281,
  kTextWorkModeUnknown = 282,
  kTextZevModelCloud = 283,
  kTextCustomPlatform = 284,
  // Length checks: "%s" is the field; "%d" the line limit (290) or the
  // field's capacity in the file (291).
  kTextLineTooLong = 290,
  kTextFieldOverCapacity = 291,
};
