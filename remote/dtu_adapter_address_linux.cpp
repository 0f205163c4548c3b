// Linux: the link-layer (AF_PACKET) entries of the interface list carry each
// adapter's hardware address; they come in interface-index order.
#include "remote/dtu_adapter_address.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <sys/socket.h>

std::vector<DtuHardwareAddress> DtuListAdapterAddresses() {
  std::vector<DtuHardwareAddress> addresses;
  ifaddrs *list = nullptr;
  if (getifaddrs(&list) != 0) return addresses;
  for (ifaddrs *entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_PACKET) continue;
    const auto *link = reinterpret_cast<const sockaddr_ll *>(entry->ifa_addr);
    addresses.emplace_back(link->sll_addr, link->sll_addr + link->sll_halen);
  }
  freeifaddrs(list);
  return addresses;
}
