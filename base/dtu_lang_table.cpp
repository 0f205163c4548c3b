// The text table. Ids as the device tool has always used them; 228 and 229 are
// absent. Texts without an id of their own get ids above 270, grouped by the
// page that shows them.
#include "base/dtu_lang.h"

const DtuLangRow kDtuLangTable[] = {
    // Main window: caption, tab and page tree.
    {0, "ZevModel_DurUvaVede_Rev-2.0.25", "ZevModel_DurUvaVede_Rev-2.0.25"},
    {1, "DTU配置", "DTU Config"},
    {2, "DTU配置工具", "DTU Config Tool"},
    {3, "配置串口", "Config Port"},
    {4, "透传串口-RS485", "Data Port-RS485"},
    {5, "串口参数", "UART Params"},
    {7, "Modbus参数", "Modbus Params"},
    {9, "设备信息", "Device Info"},
    {10, "网络信息", "Network Info"},
    {11, "工作模式", "Work Mode"},
    {12, "TCP/UDP模式", "TCP/UDP Mode"},
    {13, "MQTT模式", "MQTT Mode"},
    {16, "业务心跳", "BHU"},
    {17, "远程串口", "Virtual Serial"},
    {18, "帮助", "Help"},

    // Command port page.
    {19, "打开串口", "Open Port"},
    {20, "关闭串口", "Close Port"},
    {24, "配置串口", "Config Port"},
    {25, "接收窗口", "Receive Window"},
    {26, "发送窗口", "Send Window"},
    {27, "发送命令", "Send Command"},
    {28, "清空发送数据", "Clear Send Data"},
    {29, "清空接收数据", "Clear Receive Data"},

    // Shared page buttons and the data port page.
    {30, "透传串口配置 [默认RS485]", "Data Port Config [Default RS485]"},
    {31, "配置", "Set"},
    {32, "读取", "Read"},
    {33, "保存到本地配置", "Save to Local"},
    {34, "读取本地配置", "Read Local"},

    // Device information page.
    {87, "设备信息", "Device Info"},
    {88, "读取", "Read"},
    {89, "配置", "Set"},
    {90, "重启", "Reboot"},
    {91, "重置", "Reset"},
    {92, "日志等级", "Log Level"},

    // Network page.
    {93, "配置", "Set"},
    {94, "读取", "Read"},
    {95, "拨号类型", "Dial Type"},
    {96, "网络信息与频段配置", "Network Info and Band Config"},
    {97, "用户名", "Username"},
    {98, "密码", "Password"},

    // Work mode and TCP/UDP pages.
    {99, "工作模式", "Work Mode"},
    {100, "TCP", "TCP"},
    {101, "UDP", "UDP"},
    {102, "服务器地址", "Server Address"},
    {103, "服务器端口", "Server Port"},
    {104, "类型", "Type"},
    {105, "产品密钥", "Product Secret"},
    {106, "产品名称", "Product Name"},

    // Aliyun and OneNET MQTT pages.
    {107, "阿里云MQTT配置", "Aliyun MQTT Config"},
    {108, "InstanceID : 免预注册方式时使用，旧版本阿里云账号配置为空，新版本账号配置对应的实例ID",
     "InstanceID: used in no-prereg mode; old Aliyun account can be empty, new account should fill instance ID."},
    {109, "移动oneNET配置", "China Mobile oneNET Config"},
    {110, "提示：动态注册时,DeviceKey不需要填写", "Tip: DeviceKey is not required in dynamic registration."},

    // Virtual serial page.
    {21, "登录", "Login"},
    {22, "退出", "Logout"},
    {23, "设备列表", "Device List"},
    {129, "连接", "Connect"},
    {130, "发送", "Send"},
    {131, "断开", "Disconnect"},
    {132, "用户名", "Username"},
    {133, "密码", "Password"},
    {134, "更新设备列表", "Refresh Device List"},
    {135, "IoT账号信息", "IoT Account Info"},
    {136, "产品信息", "Product Info"},
    {137, "设备ID", "Device ID"},
    {138, "提示 ：ProductKey 和 ProductSecret 必须要填，设备ID可以通过列表选中也可以直接填入设备IMEI号",
     "Tip: ProductKey and ProductSecret are required. Device ID can be selected from list or entered as IMEI."},
    {139, "断开连接", "Disconnected"},

    // Messages.
    {141, "配置成功", "Configuration succeeded"},
    {142, "配置失败", "Configuration failed"},
    {143, "配置串口未打开", "Config serial port is not open"},
    {144, "读取配置文件失败!", "Failed to read config file!"},
    {145, "读取本地配置成功!", "Read local config succeeded!"},
    {146, "保存配置成功", "Save config succeeded"},
    {147, "保存配置失败!", "Save config failed!"},
    {148, "未连接", "Not connected"},
    {149, "已连接", "Already connected"},
    {151, "发送内容不能为空", "Send content cannot be empty"},
    {152, "发送失败", "Send failed"},
    {153, "连接失败", "Connect failed"},
    {154, "连接成功", "Connect success"},
    {155, "登录成功", "Login success"},
    {156, "已退出登录", "Logout success"},
    {157, "未登录!", "Not Login!"},
    {158, "APN长度不能超过32个字符!", "APN length cannot exceed 32 characters!"},
    {159, "用户名长度不能超过64个字符!", "Username length cannot exceed 64 characters!"},
    {160, "密码长度不能超过64个字符!", "Password length cannot exceed 64 characters!"},
    {161, "网络信息配置成功", "Network configuration succeeded"},
    {162, "已重启", "Reboot command sent"},
    {163, "已重置", "Reset command sent"},
    {164, "无法创建配置文件: %s", "Failed to create config file: %s"},
    {165, "无法打开配置文件: %s", "Failed to open config file: %s"},
    {180, "发送内容长度不能超过%d字节", "Send content length cannot exceed %d bytes"},
    {220, "Modbus缓存代理读取/配置失败：%s。", "Modbus cache proxy read/set failed: %s."},

    // ---- Texts without an id of their own (271 and up). ----

    // Main window and command port page.
    {271, "语言", "Language"},
    {272, "串口 %s 已断开，已将其关闭。设备重新接入后可再次打开。",
     "Serial port %s has gone away and was closed. Open it again once the device is back."},
    {273, "当前用户无权访问串口：请将用户加入 dialout 组（sudo usermod -aG dialout $USER），重新登录后再试。",
     "Your user may not open serial ports: add it to the dialout group (sudo usermod -aG dialout $USER), then log in again."},
    {274, "请选择或输入串口", "Select or type a serial port"},

    // Network, work mode and TCP/UDP list items.
    {280, "自动APN", "Auto APN"},
    {281, "手动APN", "Manual APN"},
    {282, "Unknow", "Unknown"},
    {283, "泽维云服务平台", "ZevModel Cloud"},
    {284, "自定义云服务平台", "Custom Platform"},

    // Settings pages: lines that do not fit, texts too long for the file.
    {290, "%s过长：命令行不能超过%d字节，未发送。", "%s is too long: a command line cannot exceed %d bytes; nothing was sent."},
    {291, "%s不能超过%d个字符，未保存!", "%s cannot exceed %d characters; nothing was saved!"},
};

const int kDtuLangTableSize = static_cast<int>(sizeof(kDtuLangTable) / sizeof(kDtuLangTable[0]));
