// The text table. Ids as the device tool has always used them; 228 and 229 are
// absent. Texts without an id of their own get ids above 270.
#include "base/dtu_lang.h"

const DtuLangRow kDtuLangTable[] = {
    {0, "ZevModel_DurUvaVede_Rev-2.0.25", "ZevModel_DurUvaVede_Rev-2.0.25"},
    {143, "配置串口未打开", "Config serial port is not open"},
    {145, "读取本地配置成功!", "Read local config succeeded!"},
    {148, "未连接", "Not connected"},
    {152, "发送失败", "Send failed"},
    {164, "无法创建配置文件: %s", "Failed to create config file: %s"},
    {165, "无法打开配置文件: %s", "Failed to open config file: %s"},
    {220, "Modbus缓存代理读取/配置失败：%s。", "Modbus cache proxy read/set failed: %s."},
};

const int kDtuLangTableSize = static_cast<int>(sizeof(kDtuLangTable) / sizeof(kDtuLangTable[0]));
