// Ids of the texts the DL/T 645 meter page shows, as they stand in the text
// table (base/dtu_lang_table.cpp).
#pragma once

enum DtuDlt645TextId {
  kTextDlt645Off = 301,
  kTextDlt645On = 302,
  kTextDlt645FunctionSwitch = 313,
  kTextDlt645ChannelCount = 315,
  kTextDlt645Transparent = 339,
  kTextDlt645Parse = 340,
  kTextDlt645NoScale = 341,
  kTextDlt645Int8 = 344,  // 344..353: the ten data types in code order
  kTextDlt645Configured = 354,
  kTextDlt645PreambleRange = 355,
  kTextDlt645DiCountRange = 356,
  kTextDlt645BasicGroup = 357,
  kTextDlt645Config = 358,
  kTextDlt645ConfigureChannel = 359,
  kTextDlt645ForwardRules = 360,
  kTextDlt645ParaCount = 361,
  kTextDlt645TopTip = 362,
  kTextDlt645BottomTip = 363,
  kTextDlt645ReadLocalConfig = 364,
  kTextDlt645ForwardRuleGroup = 312,
  kTextDlt645TreeItem = 700,
  kTextDlt645Separator = 701,
  kTextDlt645ChannelDiFormat = 702,
  kTextDlt645HeadChannel = 703,  // 703..708: the meter column headings
  kTextDlt645ChannelN = 709,
  kTextDlt645HeadParameters = 710,  // 710..716: the parameter column headings
  kTextDlt645ParamN = 717,
  kTextDlt645ParamEmpty = 718,
  kTextDlt645ParamDiFormat = 719,
  kTextDlt645RuleNoAnswer = 720,
  kTextDlt645RuleRefused = 721,
};
