#include "app/views/kit/field_labels.h"

#include <cstring>

#include "base/dtu_lang.h"

namespace {

struct Twin {
  const char *english;
  DtuTextId text_id;
};

using T = DtuTextId;

// Field names as the pages spell them, with the text whose English column
// is that same spelling.
const Twin kFieldLabels[] = {
    {"BaudRate", T::kLabelBaudRate},         {"DataBits", T::kLabelDataBits},
    {"StopBits", T::kLabelStopBits},         {"Parity", T::kLabelParity},
    {"Server", T::kLabelServer},             {"Port", T::kLabelServerPort},
    {"Keepalive", T::kLabelKeepalive},       {"ClientID", T::kLabelClientId},
    {"Username", T::kLabelUsername},         {"Password", T::kLabelPassword},
    {"SubTopic", T::kLabelSubTopic},         {"PubTopic", T::kLabelPubTopic},
    {"Qos", T::kLabelQos},                   {"CleanSession", T::kLabelCleanSession},
    {"InstanceID", T::kLabelInstanceId},     {"DeviceName", T::kLabelDeviceName},
    {"DeviceSecret", T::kLabelDeviceSecret}, {"ProductID", T::kLabelProductId},
    {"DeviceKey", T::kLabelDeviceKey},       {"AccessKey", T::kLabelAccessKey},
    {"Version", T::kLabelVersion},           {"RemoteCfgSwitch", T::kLabelRemoteCfgSwitch},
    {"RemoteCfgServer", T::kLabelRemoteCfgServer}, {"RemoteCfgPort", T::kLabelRemoteCfgPort},
    {"WatchDogSwitch", T::kLabelWatchDogSwitch},   {"WorkMode", T::kLabelWorkMode},
};

// List entries some pages give as fixed English words.
const Twin kListWords[] = {
    {"None", T::kListNone},         {"Odd", T::kListOdd},           {"Even", T::kListEven},
    {"Mark", T::kListMark},         {"Space", T::kListSpace},       {"Hardware", T::kListHardware},
    {"Software", T::kListSoftware}, {"Custom", T::kListCustom},     {"OFF", T::kSwitchOff},
    {"ON", T::kSwitchOn},
};

template <size_t N>
const Twin *Find(const Twin (&table)[N], const char *english) {
  for (const Twin &twin : table) {
    if (std::strcmp(twin.english, english) == 0) return &twin;
  }
  return nullptr;
}

}  // namespace

QString DtuFieldLabel(const char *field_name) {
  const Twin *twin = Find(kFieldLabels, field_name);
  return QString::fromUtf8(twin ? DtuLangText(twin->text_id) : field_name);
}

QString DtuFieldLabel(const char *field_name, const std::optional<DtuTextId> &declared) {
  return declared ? QString::fromUtf8(DtuLangText(*declared)) : DtuFieldLabel(field_name);
}

QStringList DtuShownListItems(const QStringList &items) {
  QStringList shown;
  for (const QString &item : items) {
    const Twin *twin = Find(kListWords, item.toUtf8().constData());
    shown << (twin ? QString::fromUtf8(DtuLangText(twin->text_id)) : item);
  }
  return shown;
}
