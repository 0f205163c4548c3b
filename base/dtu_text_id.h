// Names of the rows of the text table (base/dtu_lang_table.cpp). Code names
// a text by what it says, never by its number:
//
//   DtuMessageBox(DtuLangText(DtuTextId::kConfigSucceeded));
//
// The list below is the one place where a name meets its number. A new text
// gets a new row at the end of the table and a new line at the end of this
// list; numbers are never reused or renumbered (the table keeps the ids the
// device tool has always used, 228 and 229 stay absent).
#pragma once

// X(name, id): every named row, in table order.
#define DTU_TEXT_IDS(X)                                                                   \
  /* Main window: caption, tab and page tree. */                                          \
  X(kWindowCaption, 0)                                                                    \
  X(kTabDtuConfig, 1)                                                                     \
  X(kTreeDtuConfigTool, 2)                                                                \
  X(kTreeConfigPort, 3)                                                                   \
  X(kTreeDataPort, 4)                                                                     \
  X(kTreeUartParams, 5)                                                                   \
  X(kTreeModbusParams, 7)                                                                 \
  X(kTreeDeviceInfo, 9)                                                                   \
  X(kTreeNetworkInfo, 10)                                                                 \
  X(kTreeWorkMode, 11)                                                                    \
  X(kTreeTcpUdpMode, 12)                                                                  \
  X(kTreeMqttMode, 13)                                                                    \
  X(kTreeBhu, 16)                                                                         \
  X(kTreeVirtualSerial, 17)                                                               \
  X(kTreeHelp, 18)                                                                        \
  /* Command port page. */                                                                \
  X(kOpenPort, 19)                                                                        \
  X(kClosePort, 20)                                                                       \
  X(kCmdPortGroup, 24)                                                                    \
  X(kReceiveWindow, 25)                                                                   \
  X(kSendWindow, 26)                                                                      \
  X(kSendCommand, 27)                                                                     \
  X(kClearSendData, 28)                                                                   \
  X(kClearReceiveData, 29)                                                                \
  /* Shared page buttons and the data port page. */                                      \
  X(kDataPortGroup, 30)                                                                   \
  X(kSet, 31)                                                                             \
  X(kRead, 32)                                                                            \
  X(kSaveToLocal, 33)                                                                     \
  X(kReadLocal, 34)                                                                       \
  /* Device information page. */                                                          \
  X(kDevinfoGroup, 87)                                                                    \
  X(kDevinfoRead, 88)                                                                     \
  X(kDevinfoSet, 89)                                                                      \
  X(kDevinfoReboot, 90)                                                                   \
  X(kDevinfoReset, 91)                                                                    \
  X(kDevinfoLogLevel, 92)                                                                 \
  /* Network page. */                                                                     \
  X(kNetSet, 93)                                                                          \
  X(kNetRead, 94)                                                                         \
  X(kNetDialType, 95)                                                                     \
  X(kNetGroup, 96)                                                                        \
  X(kNetUsername, 97)                                                                     \
  X(kNetPassword, 98)                                                                     \
  /* Work mode and TCP/UDP pages. */                                                      \
  X(kWorkModeGroup, 99)                                                                   \
  X(kTcpGroup, 100)                                                                       \
  X(kUdpGroup, 101)                                                                       \
  X(kServerAddress, 102)                                                                  \
  X(kServerPort, 103)                                                                     \
  X(kConnectionType, 104)                                                                 \
  X(kProductSecret, 105)                                                                  \
  X(kProductName, 106)                                                                    \
  /* Aliyun and OneNET MQTT pages. */                                                     \
  X(kAliyunGroup, 107)                                                                    \
  X(kAliyunInstanceIdHint, 108)                                                           \
  X(kOnenetGroup, 109)                                                                    \
  X(kOnenetDeviceKeyHint, 110)                                                            \
  /* Virtual serial page. */                                                              \
  X(kVserialLogin, 21)                                                                    \
  X(kVserialLogout, 22)                                                                   \
  X(kVserialDeviceList, 23)                                                               \
  X(kVserialConnect, 129)                                                                 \
  X(kVserialSend, 130)                                                                    \
  X(kVserialDisconnect, 131)                                                              \
  X(kVserialUsername, 132)                                                                \
  X(kVserialPassword, 133)                                                                \
  X(kVserialRefreshDeviceList, 134)                                                       \
  X(kVserialAccountGroup, 135)                                                            \
  X(kVserialProductGroup, 136)                                                            \
  X(kVserialDeviceId, 137)                                                                \
  X(kVserialProductHint, 138)                                                             \
  X(kDisconnected, 139)                                                                   \
  /* Messages. */                                                                         \
  X(kConfigSucceeded, 141)                                                                \
  X(kConfigFailed, 142)                                                                   \
  X(kPortNotOpen, 143)                                                                    \
  X(kReadConfigFileFailed, 144)                                                           \
  X(kReadLocalSucceeded, 145)                                                             \
  X(kSaveConfigSucceeded, 146)                                                            \
  X(kSaveConfigFailed, 147)                                                               \
  X(kNotConnected, 148)                                                                   \
  X(kAlreadyConnected, 149)                                                               \
  X(kSendContentEmpty, 151)                                                               \
  X(kSendFailed, 152)                                                                     \
  X(kConnectFailed, 153)                                                                  \
  X(kConnectSucceeded, 154)                                                               \
  X(kLoginSucceeded, 155)                                                                 \
  X(kLogoutSucceeded, 156)                                                                \
  X(kNotLoggedIn, 157)                                                                    \
  X(kApnTooLong, 158)                                                                     \
  X(kUsernameTooLong, 159)                                                                \
  X(kPasswordTooLong, 160)                                                                \
  X(kNetConfigSucceeded, 161)                                                             \
  X(kRebootSent, 162)                                                                     \
  X(kResetSent, 163)                                                                      \
  X(kConfigFileCreateFailed, 164) /* %s: file name */                                     \
  X(kConfigFileOpenFailed, 165)   /* %s: file name */                                     \
  X(kSendContentTooLong, 180)     /* %d: byte limit */                                    \
  X(kModbusCacheFailed, 220)      /* %s: what failed */                                   \
  /* Main window and command port page (texts without an id of their own). */            \
  X(kLanguageMenu, 271)                                                                   \
  X(kPortGone, 272)          /* %s: port */                                               \
  X(kPortAccessDenied, 273)                                                               \
  X(kSelectPortHint, 274)                                                                 \
  X(kTreeAliyunMqtt, 275)                                                                 \
  X(kTreeOnenetMqtt, 276)                                                                 \
  /* Network, work mode and TCP/UDP list items. */                                       \
  X(kAutoApn, 280)                                                                        \
  X(kManualApn, 281)                                                                      \
  X(kWorkModeUnknown, 282)                                                                \
  X(kZevModelCloud, 283)                                                                  \
  X(kCustomPlatform, 284)                                                                 \
  /* Settings pages: "%s" is the field; "%d" the line limit or the capacity. */           \
  X(kLineTooLong, 290)                                                                    \
  X(kFieldOverCapacity, 291)                                                              \
  /* Modbus polling page. */                                                              \
  X(kModbusCycleUnitNote, 300)                                                            \
  X(kSwitchOff, 301)                                                                      \
  X(kSwitchOn, 302)                                                                       \
  X(kModbusDisableSucceeded, 303)                                                         \
  X(kModbusPollingSucceeded, 304)                                                         \
  X(kModbusCacheStillOn, 305)                                                             \
  X(kModbusSlaveAddressRange, 306)    /* %d: channel */                                   \
  X(kModbusFunctionCodeRange, 307)    /* %d: channel */                                   \
  X(kModbusRegisterAddressRange, 308) /* %d: channel */                                   \
  X(kModbusRegisterCountRange, 309)   /* %d: channel */                                   \
  X(kModbusCycleRange, 310)           /* %d: channel */                                   \
  X(kModbusPollingGroup, 311)                                                             \
  X(kModbusForwardRuleGroup, 312)                                                         \
  X(kModbusFunctionSwitch, 313)                                                           \
  X(kModbusPacketSplitSwitch, 314)                                                        \
  X(kModbusChannelCount, 315)                                                             \
  X(kModbusConfigChannel, 316)                                                            \
  X(kModbusParameterCount, 317)                                                           \
  X(kModbusDecimalTip, 318)                                                               \
  X(kModbusSaveFailed, 319)                                                               \
  X(kReadLocalFailed, 320)                                                                \
  /* Modbus cache page. */                                                                \
  X(kCacheChannelCount, 321)                                                              \
  X(kCacheChannelGroup, 322)     /* %d: channel */                                        \
  X(kCacheFieldEmpty, 323)       /* %d: channel, %s: field */                             \
  X(kCacheFieldRange, 324)       /* %d: channel, %s: field, %d-%d: range */               \
  X(kCacheAddressOverflow, 325)  /* %d: channel */                                        \
  X(kCacheDuplicateRule, 326)    /* %d, %d: channels */                                   \
  X(kCacheSlaveAddress, 327)                                                              \
  X(kCacheStartAddress, 328)                                                              \
  X(kCacheCount, 329)                                                                     \
  X(kCacheCycle, 330)                                                                     \
  X(kModbusPollingStillOn, 331)                                                           \
  X(kCacheConfigCompleted, 332)                                                           \
  X(kCacheTimeout, 333)          /* %s: what timed out */                                 \
  X(kCacheBadAnswer, 334)        /* %s: the answer */                                     \
  X(kCacheProxyGroup, 335)                                                                \
  X(kCachePollingChannelGroup, 336)                                                       \
  X(kCacheFunctionCodeNote, 337)                                                          \
  X(kCacheReadCompleted, 338)                                                             \
  /* DL/T 645 meter page. */                                                              \
  X(kDltTransparent, 339)                                                                 \
  X(kDltParse, 340)                                                                       \
  X(kDltNoScale, 341)                                                                     \
  X(kDltMultiply, 342)                                                                    \
  X(kDltDivide, 343)                                                                      \
  X(kDltInt8, 344)                                                                        \
  X(kDltUint8, 345)                                                                       \
  X(kDltInt16, 346)                                                                       \
  X(kDltUint16, 347)                                                                      \
  X(kDltInt32, 348)                                                                       \
  X(kDltUint32, 349)                                                                      \
  X(kDltFloat32, 350)                                                                     \
  X(kDltBcdUint8, 351)                                                                    \
  X(kDltBcdUint16, 352)                                                                   \
  X(kDltBcdUint32, 353)                                                                   \
  X(kDltConfigSucceeded, 354)                                                             \
  X(kDltPreambleRange, 355)      /* %d: channel */                                        \
  X(kDltDiCountRange, 356)       /* %d: channel */                                        \
  X(kDltBasicGroup, 357)                                                                  \
  X(kDltConfig, 358)                                                                      \
  X(kDltConfigChannel, 359)                                                               \
  X(kDltForwardRuleGroup, 360)                                                            \
  X(kDltParameterCount, 361)                                                              \
  X(kDltInputTip, 362)                                                                    \
  X(kDltRuleTip, 363)                                                                     \
  X(kDltReadLocal, 364)                                                                   \
  /* Business packet page. */                                                             \
  X(kBhuLoginPacket, 365)                                                                 \
  X(kBhuHeartbeatPacket, 366)                                                             \
  X(kBhuDataPacket, 367)                                                                  \
  X(kBhuHeaderSignature, 368)                                                             \
  X(kBhuFormatString, 369)                                                                \
  X(kBhuFormatHex, 370)                                                                   \
  X(kBhuEditText, 371)                                                                    \
  X(kBhuEditVisual, 372)                                                                  \
  X(kBhuFieldFixedHex, 373)                                                               \
  X(kBhuFieldFixedString, 374)                                                            \
  X(kBhuFieldDeviceParam, 375)                                                            \
  X(kBhuFieldCrc16Be, 376)                                                                \
  X(kBhuFieldCrc16Le, 377)                                                                \
  X(kBhuLoginSucceeded, 378)                                                              \
  X(kBhuHeaderSucceeded, 379)                                                             \
  X(kBhuHeartbeatSucceeded, 380)                                                          \
  X(kBhuDataSucceeded, 381)                                                               \
  X(kBhuLoginHexSucceeded, 382)                                                           \
  X(kBhuHeartbeatHexSucceeded, 383)                                                       \
  X(kBhuDataHexSucceeded, 384)                                                            \
  X(kBhuPacketTooLong, 385)      /* %d: byte limit */                                     \
  X(kBhuPortNotOpen, 386)                                                                 \
  X(kBhuLoginNoVisual, 387)                                                               \
  X(kBhuHeaderNoVisual, 388)                                                              \
  X(kBhuCycleNegative, 389)                                                               \
  X(kBhuHexInvalidChars, 390)                                                             \
  X(kBhuHexEmpty, 391)                                                                    \
  X(kBhuHexOddLength, 392)                                                                \
  X(kBhuHexTooLong, 393)                                                                  \
  X(kBhuFieldHexEmpty, 394)      /* %d: field */                                          \
  X(kBhuFieldHexOddLength, 395)  /* %d: field */                                          \
  X(kBhuFieldHexInvalid, 396)    /* %d: field */                                          \
  X(kBhuFieldStringEmpty, 397)   /* %d: field */                                          \
  X(kBhuFieldParamFormat, 398)   /* %d: field */                                          \
  X(kBhuFieldTypeUnknown, 399)   /* %d: field */                                          \
  X(kBhuCrcRangeDigits, 400)                                                              \
  X(kBhuCrcRangeChars, 401)                                                               \
  X(kBhuCrcRangeStart, 402)                                                               \
  X(kBhuCrcRangeOrder, 403)                                                               \
  X(kBhuCrcRangeBeyond, 404)                                                              \
  X(kBhuCrcRangeMissing, 405)                                                             \
  X(kBhuUnknownFieldType, 406)                                                            \
  X(kBhuFixedHexInvalid, 407)                                                             \
  X(kBhuFieldTooLong, 408)                                                                \
  X(kBhuCycle, 409)                                                                       \
  X(kBhuSeconds, 410)                                                                     \
  X(kBhuPacketType, 411)                                                                  \
  X(kBhuPacketFormat, 412)                                                                \
  X(kBhuEditMode, 413)                                                                    \
  X(kBhuFieldCount, 414)                                                                  \
  X(kBhuPacketContent, 415)                                                               \
  X(kBhuSelectHexFieldType, 416)                                                          \
  /* Modbus forwarding rules. */                                                          \
  X(kRuleFloat32, 417)                                                                    \
  X(kRuleConfigSucceeded, 418)                                                            \
  X(kRuleReadPollingFirst, 419)                                                           \
  X(kRuleAddressOutOfRange, 420) /* %d: channel, %d ~ %d: range, %d: address */           \
  X(kRuleLengthOutOfRange, 421)  /* %d: channel, %d: parameter */                         \
  X(kRuleScaleNotPositive, 422)  /* %d: parameter */                                      \
  /* Virtual serial page: what is missing before a login. */                             \
  X(kVserialEnterAccount, 423)                                                            \
  X(kVserialEnterPassword, 424)                                                           \
  X(kVserialEnterProductKey, 425)                                                         \
  X(kVserialEnterProductSecret, 426)                                                      \
  /* Outcomes of a Read or Set, busy state, questions, command port terminal. */          \
  X(kNoAnswerFor, 800)            /* %s: what was asked */                                \
  X(kDeviceRefused, 801)          /* %s: what, %s: the device's answer */                 \
  X(kPortClosedBeforeAnswer, 802) /* %s: what was asked */                                \
  X(kRebootQuestion, 803)                                                                 \
  X(kResetQuestion, 804)                                                                  \
  X(kPortClosed, 805)                                                                     \
  X(kReadingProgress, 806)        /* %s: page, %d of %d */                                \
  X(kSettingProgress, 807)        /* %s: page, %d of %d */                                \
  X(kSaveLog, 808)                                                                        \
  X(kTimeStamps, 809)                                                                     \
  X(kHexView, 810)                                                                        \
  X(kCannotWriteFile, 811)        /* %s: file */                                          \
  X(kAnswerNotRead, 812)          /* %s: what was asked, %s: the answer */                \
  /* DL/T 645 meter page: tree item, checks, column headings, rule read. */               \
  X(kTreeDlt645Meter, 700)                                                                \
  X(kDltTextHoldsSeparator, 701)  /* %s: field, %s: the separator */                      \
  X(kDltChannelDiFormat, 702)     /* %d: channel */                                       \
  X(kDltHeadChannel, 703)         /* 703..708: the meter columns, in column order */      \
  X(kDltHeadMeterAddress, 704)                                                            \
  X(kDltHeadPreamble, 705)                                                                \
  X(kDltHeadDiCount, 706)                                                                 \
  X(kDltHeadCycle, 707)                                                                   \
  X(kDltHeadDiConfig, 708)                                                                \
  X(kDltChannelN, 709)            /* %d: channel */                                       \
  X(kDltHeadParameters, 710)      /* 710..716: the parameter columns, in column order */  \
  X(kDltHeadParameterTag, 711)                                                            \
  X(kDltHeadDiItem, 712)                                                                  \
  X(kDltHeadDataType, 713)                                                                \
  X(kDltHeadByteEndian, 714)                                                              \
  X(kDltHeadConversionRule, 715)                                                          \
  X(kDltHeadMultiplier, 716)                                                              \
  X(kDltParamN, 717)              /* %d: parameter */                                     \
  X(kDltParamEmpty, 718)          /* %d: parameter */                                     \
  X(kDltParamDiFormat, 719)       /* %d: parameter */                                     \
  X(kDltHexDigits, 722)           /* %s: field, %d: most digits */                        \
  X(kDltNumberRange, 723)         /* %s: field, %d~%d: range */                           \
  X(kDltRuleNotRead, 724)         /* %d: channel, %d: channel count */                    \
  /* The virtual serial page's worker, failures and link loss. */                         \
  X(kCloudLinkLost, 900)          /* %s: why */                                           \
  X(kLoginFailed, 901)            /* %s: why */                                           \
  X(kLogoutFailed, 902)           /* %s: why */                                           \
  X(kRefreshFailed, 903)          /* %s: why */                                           \
  X(kLoggingIn, 904)              /* %s: platform */                                      \
  X(kRefreshing, 905)                                                                     \
  X(kConnecting, 906)             /* %s:%d: broker */                                     \
  X(kDeviceCount, 907)            /* %d: devices */                                       \
  X(kAccountRefused, 908)                                                                 \
  X(kAnswerUnreadable, 909)                                                               \
  X(kRequestFailed, 910)          /* %d: code */                                          \
  /* Refusals of unsafe input, files that are no files, platform warnings. */             \
  X(kPortInUseByOther, 1000)                                                              \
  X(kControlCharRefused, 1001)    /* %s: field */                                         \
  X(kConfigControlCharSkipped, 1002) /* %s: key */                                        \
  X(kNotARegularFile, 1003)                                                               \
  X(kFileTooLarge, 1004)                                                                  \
  X(kCertificateCheckOff, 1005)   /* %s: host */                                          \
  /* Business packet page: field editor headings, tips, and the checks added */          \
  /* for periods, contents and answers. */                                               \
  X(kBhuValueType, 650)                                                                   \
  X(kBhuValue, 651)                                                                       \
  X(kBhuFieldRow, 652)            /* %d: field */                                         \
  X(kBhuTips, 653)                                                                        \
  X(kBhuContentName, 654)                                                                 \
  X(kBhuCycleTooLarge, 655)       /* %d: the largest period */                            \
  X(kBhuContentReserved, 656)     /* %s: the content or a field */                        \
  X(kBhuContentIncomplete, 657)   /* %s: the packet, %d: its length field */              \
  /* Modbus pages: the cache page's tree item, headings, rows, width checks. */          \
  X(kTreeModbusCache, 600)                                                                \
  X(kModbusFunctionCode, 601)                                                             \
  X(kModbusRegisterAddress, 602)                                                          \
  X(kModbusRegisterCount, 603)                                                            \
  X(kModbusPollingCycle, 604)                                                             \
  X(kModbusChannelRow, 605)       /* %d: channel */                                       \
  X(kModbusParamRow, 606)         /* %d: parameter */                                     \
  X(kModbusParameterId, 607)                                                              \
  X(kModbusDataType, 608)                                                                 \
  X(kModbusByteOrder, 609)                                                                \
  X(kModbusConvertRule, 610)                                                              \
  X(kModbusMultiplier, 611)                                                               \
  X(kModbusCacheChannelHeading, 612)                                                      \
  X(kModbusCacheChannelRow, 613)  /* %d: channel */                                       \
  X(kModbusChannelWidth, 614)     /* %d channel, %s field, %d digits, %d max */           \
  X(kModbusParamWidth, 615)       /* %d parameter, %s field, %d digits, %d max */ \
  X(kModbusTagCut, 616)           /* %d channel, %d parameter, %d length, %d kept */ \
  X(kModbusTagSaveCut, 617)       /* %d channel, %d parameter, %d length, %d kept */ \
  X(kModbusChannelNotNumber, 618) /* %d channel, %s field */                      \
  X(kModbusParamNotNumber, 619)   /* %d parameter, %s field */                    \
  X(kModbusTagEscapeWord, 620)    /* %d channel, %d parameter, %s the word */ \
  /* The window's workbench: field labels in both languages, the help page, */        \
  /* the about box in English, terminal notes, port states, DL/T 645 texts. */         \
  X(kLabelPort, 1200)                                                                     \
  X(kLabelBaudRate, 1201)                                                                 \
  X(kLabelDataBits, 1202)                                                                 \
  X(kLabelStopBits, 1203)                                                                 \
  X(kLabelParity, 1204)                                                                   \
  X(kLabelFlow, 1205)                                                                     \
  X(kLabelServer, 1206)                                                                   \
  X(kLabelServerPort, 1207)                                                               \
  X(kLabelKeepalive, 1208)                                                                \
  X(kLabelClientId, 1209)                                                                 \
  X(kLabelUsername, 1210)                                                                 \
  X(kLabelPassword, 1211)                                                                 \
  X(kLabelSubTopic, 1212)                                                                 \
  X(kLabelPubTopic, 1213)                                                                 \
  X(kLabelQos, 1214)                                                                      \
  X(kLabelCleanSession, 1215)                                                             \
  X(kLabelInstanceId, 1216)                                                               \
  X(kLabelDeviceName, 1217)                                                               \
  X(kLabelDeviceSecret, 1218)                                                             \
  X(kLabelProductId, 1219)                                                                \
  X(kLabelDeviceKey, 1220)                                                                \
  X(kLabelAccessKey, 1221)                                                                \
  X(kLabelVersion, 1222)                                                                  \
  X(kLabelRemoteCfgSwitch, 1223)                                                          \
  X(kLabelRemoteCfgServer, 1224)                                                          \
  X(kLabelRemoteCfgPort, 1225)                                                            \
  X(kLabelWatchDogSwitch, 1226)                                                           \
  X(kLabelWorkMode, 1227)                                                                 \
  X(kAboutMenuItem, 1230)                                                                 \
  X(kAboutCaption, 1231)                                                                  \
  X(kAboutText, 1232)             /* %s: version */                                       \
  X(kAboutOk, 1233)                                                                       \
  X(kHelpTitle, 1240)                                                                     \
  X(kHelpWhat, 1241)                                                                      \
  X(kHelpStart, 1242)                                                                     \
  X(kHelpFiles, 1243)             /* %s: configuration file, %s: log file */              \
  X(kHelpTerminal, 1244)                                                                  \
  X(kHelpCommandLine, 1245)                                                               \
  X(kHelpVersion, 1246)           /* %s: version */                                       \
  X(kNoAnswerTo, 1250)            /* %s: the line */                                      \
  X(kLogSavedTo, 1251)            /* %s: file */                                          \
  X(kPortGoneState, 1252)         /* %s: port */                                          \
  X(kPortGoneTag, 1253)                                                                   \
  X(kSentTag, 1254)                                                                       \
  X(kDltDiConfigHeading, 1260)                                                            \
  X(kDltBasicConfigSucceeded, 1261)                                                       \
  X(kDltRuleConfigSucceeded, 1262)                                                        \
  X(kWorkModeUnknownNotSet, 1263)                                                         \
  X(kListNone, 1270)              /* 1270..1277: line setting list entries */            \
  X(kListOdd, 1271)                                                                       \
  X(kListEven, 1272)                                                                      \
  X(kListMark, 1273)                                                                      \
  X(kListSpace, 1274)                                                                     \
  X(kListHardware, 1275)                                                                  \
  X(kListSoftware, 1276)                                                                  \
  X(kListCustom, 1277)                                                                    \
  /* Typed values the device cannot take as typed. */                                     \
  X(kNumberOutOfRange, 1020)      /* %s field, %lld min, %lld max */                      \
  X(kEscapeWordTyped, 1021)       /* %s field */                                         \
  X(kPageWorking, 1022)           /* %s: the page */ \
  /* The whole-device workbench: File and Device menus, the run dialog. */ \
  X(kMenuFile, 1100) \
  X(kFileOpen, 1101) \
  X(kFileSaveAs, 1102) \
  X(kFileRecent, 1103) \
  X(kFileRecentNone, 1104) \
  X(kFileInUse, 1105)  /* %s: the file */ \
  X(kFileOpenFailed, 1106)  /* %s the file chosen, %s the file in use */ \
  X(kFileSavedAs, 1107)  /* %s: the file */ \
  X(kFileSaveAsFailed, 1108)  /* %s the file, %s why */ \
  X(kFileFilter, 1109) \
  X(kMenuDevice, 1110) \
  X(kReadAllPages, 1111) \
  X(kWriteAllPages, 1112) \
  X(kCompareWithFile, 1113) \
  X(kWriteAllAsk, 1114)  /* %s the file, %s the port */ \
  X(kWorkbenchPortClosed, 1115) \
  X(kRunHeading, 1116)  /* %s the action, %s the port, %s the file */ \
  X(kColPage, 1117) \
  X(kColState, 1118) \
  X(kColFirstFailing, 1119) \
  X(kStateWaiting, 1120) \
  X(kStateWorking, 1121) \
  X(kStatusVerified, 1122)  /* ProvisionStatus order from here */ \
  X(kStatusConfirmed, 1123) \
  X(kStatusRefused, 1124) \
  X(kStatusNoAnswer, 1125) \
  X(kStatusDeviceError, 1126) \
  X(kStatusPortLost, 1127) \
  X(kStatusDiffers, 1128) \
  X(kStatusNotDone, 1129) \
  X(kStatusNotInFile, 1130) \
  X(kStateReadSaved, 1131) \
  X(kStateAgrees, 1132) \
  X(kStateDiffers, 1133)  /* %d: differences */ \
  X(kRunCancel, 1134) \
  X(kRunCancelling, 1135) \
  X(kSaveReport, 1136) \
  X(kRunClose, 1137) \
  X(kReportFilter, 1138) \
  X(kReportSaved, 1139)  /* %s: the file */ \
  X(kReportSaveFailed, 1140)  /* %s: the file */ \
  X(kRunSummary, 1141)  /* %d done, %d pages */ \
  X(kReadAllSaved, 1142)  /* %s: the file */ \
  X(kReadAllKept, 1143)  /* %s the file, %s why */ \
  X(kCompareSummary, 1144)  /* %d: differences */ \
  X(kRunError, 1145)  /* %s: why */ \
  X(kCompareTitle, 1146) \
  X(kColField, 1147) \
  X(kColDevice, 1148) \
  X(kColFile, 1149) \
  X(kTakeDevice, 1150) \
  X(kTakeFile, 1151) \
  X(kOnlyDifferences, 1152) \
  X(kCompareHint, 1153) \
  X(kTookDevice, 1154)  /* %s page, %s field, %s file */ \
  X(kTookFile, 1155)  /* %s page, %s field */ \
  X(kTakeFailed, 1156)  /* %s page, %s field, %s why */ \
  X(kColTaken, 1157) \
  X(kTakenDevice, 1158) \
  X(kTakenFile, 1159) \
  X(kFileNamed, 1160)  /* %s the message, %s the file */ \
  X(kWorkbenchToolbar, 1161)

enum class DtuTextId : int {
#define DTU_TEXT_ID_ENUMERATOR(name, id) name = id,
  DTU_TEXT_IDS(DTU_TEXT_ID_ENUMERATOR)
#undef DTU_TEXT_ID_ENUMERATOR
};

// The text `offset` rows after `first`, for texts that stand in a run
// (list entries, column headings): DtuTextIdAt(DtuTextId::kDltInt8, code).
constexpr DtuTextId DtuTextIdAt(DtuTextId first, int offset) {
  return static_cast<DtuTextId>(static_cast<int>(first) + offset);
}
