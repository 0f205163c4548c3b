// The texts the DL/T 645 meter page shows, by their names in the text table
// (base/dtu_text_id.h). Plain ints: the page steps through the column
// headings and the data types by adding to the first of each run.
#pragma once

#include "base/dtu_text_id.h"

namespace dtu_dlt645_text {
constexpr int Id(DtuTextId id) { return static_cast<int>(id); }
}  // namespace dtu_dlt645_text

enum DtuDlt645TextId {
  kTextDlt645Off = dtu_dlt645_text::Id(DtuTextId::kSwitchOff),
  kTextDlt645On = dtu_dlt645_text::Id(DtuTextId::kSwitchOn),
  kTextDlt645FunctionSwitch = dtu_dlt645_text::Id(DtuTextId::kModbusFunctionSwitch),
  kTextDlt645ChannelCount = dtu_dlt645_text::Id(DtuTextId::kModbusChannelCount),
  kTextDlt645Transparent = dtu_dlt645_text::Id(DtuTextId::kDltTransparent),  // then Parse
  kTextDlt645NoScale = dtu_dlt645_text::Id(DtuTextId::kDltNoScale),          // then Multiply, Divide
  kTextDlt645Int8 = dtu_dlt645_text::Id(DtuTextId::kDltInt8),  // the ten data types in code order
  kTextDlt645Configured = dtu_dlt645_text::Id(DtuTextId::kDltConfigSucceeded),
  kTextDlt645PreambleRange = dtu_dlt645_text::Id(DtuTextId::kDltPreambleRange),
  kTextDlt645DiCountRange = dtu_dlt645_text::Id(DtuTextId::kDltDiCountRange),
  kTextDlt645BasicGroup = dtu_dlt645_text::Id(DtuTextId::kDltBasicGroup),
  kTextDlt645Config = dtu_dlt645_text::Id(DtuTextId::kDltConfig),
  kTextDlt645ConfigureChannel = dtu_dlt645_text::Id(DtuTextId::kDltConfigChannel),
  kTextDlt645ForwardRules = dtu_dlt645_text::Id(DtuTextId::kDltForwardRuleGroup),
  kTextDlt645ParaCount = dtu_dlt645_text::Id(DtuTextId::kDltParameterCount),
  kTextDlt645TopTip = dtu_dlt645_text::Id(DtuTextId::kDltInputTip),
  kTextDlt645BottomTip = dtu_dlt645_text::Id(DtuTextId::kDltRuleTip),
  kTextDlt645ReadLocalConfig = dtu_dlt645_text::Id(DtuTextId::kDltReadLocal),
  kTextDlt645ForwardRuleGroup = dtu_dlt645_text::Id(DtuTextId::kModbusForwardRuleGroup),
  kTextDlt645Separator = dtu_dlt645_text::Id(DtuTextId::kDltTextHoldsSeparator),
  kTextDlt645ChannelDiFormat = dtu_dlt645_text::Id(DtuTextId::kDltChannelDiFormat),
  kTextDlt645HeadChannel = dtu_dlt645_text::Id(DtuTextId::kDltHeadChannel),  // the six meter columns
  kTextDlt645ChannelN = dtu_dlt645_text::Id(DtuTextId::kDltChannelN),
  kTextDlt645HeadParameters = dtu_dlt645_text::Id(DtuTextId::kDltHeadParameters),  // the seven parameter columns
  kTextDlt645ParamN = dtu_dlt645_text::Id(DtuTextId::kDltParamN),
  kTextDlt645ParamEmpty = dtu_dlt645_text::Id(DtuTextId::kDltParamEmpty),
  kTextDlt645ParamDiFormat = dtu_dlt645_text::Id(DtuTextId::kDltParamDiFormat),
  kTextDlt645RuleNoAnswer = dtu_dlt645_text::Id(DtuTextId::kDltRuleNoAnswer),
  kTextDlt645RuleRefused = dtu_dlt645_text::Id(DtuTextId::kDltRuleRefused),
};
