// Other systems than Windows keep no System event log: the record has nothing.
#include "energy/power_record.h"

namespace wd {

std::optional<std::vector<std::string>> ReadSystemPowerEvents(DateTime) {
  return std::nullopt;
}

}  // namespace wd
