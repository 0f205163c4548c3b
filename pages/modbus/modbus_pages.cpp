// The Modbus pages in the catalog, under "Data Port-RS485".
#include "pages/dtu_page_catalog.h"
#include "pages/modbus/dtu_modbus.h"
#include "pages/modbus/dtu_modbus_cache.h"
#include "pages/modbus/dtu_modbus_switches.h"

namespace {

using C = DtuPageCode;
using T = DtuTextId;

// The polling and the cache proxy may not both be on: in one host the two
// pages know each other's switch through one shared object.
void ShareSwitches(const DtuPageLookup &logic) {
  auto *polling = qobject_cast<DtuModbus *>(logic(C::kModbus));
  auto *cache = qobject_cast<DtuModbusCache *>(logic(C::kModbusCache));
  if (polling != nullptr && cache != nullptr) DtuModbusShareSwitches(*polling, *cache);
}

const int kSharedSwitches = DtuRegisterPageJoin(&ShareSwitches);

}  // namespace

DTU_PAGE_FAMILY(modbus,
                {C::kModbus, T::kTreeModbusParams, C::kDataPort, C::kModbus, "modbus", &DtuMakePage<DtuModbus>},
                {C::kModbusCache, T::kTreeModbusCache, C::kDataPort, C::kModbusCache, "modbuscache",
                 &DtuMakePage<DtuModbusCache>});
