// Hardware addresses of this machine's network adapters, in the order the
// system lists them. Platform code lives in dtu_adapter_address_<os>.cpp.
#pragma once

#include <vector>

using DtuHardwareAddress = std::vector<unsigned char>;

// Empty when the list cannot be read.
std::vector<DtuHardwareAddress> DtuListAdapterAddresses();
