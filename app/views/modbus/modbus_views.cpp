// The Modbus pages' views in the view table.
#include "app/shell/page_views.h"
#include "app/views/modbus/modbus_cache_view.h"
#include "app/views/modbus/modbus_view.h"
#include "pages/modbus/dtu_modbus.h"
#include "pages/modbus/dtu_modbus_cache.h"

DTU_VIEW_FAMILY(modbus, {DtuPageCode::kModbus, &DtuMakeView<ModbusView, DtuModbus>},
                {DtuPageCode::kModbusCache, &DtuMakeView<ModbusCacheView, DtuModbusCache>});
