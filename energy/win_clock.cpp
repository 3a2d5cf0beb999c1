// The local clock of Windows.
#include "energy/calculate.h"
#include "platform/local_clock.h"

namespace wd {

DateTime SystemLocalNow() {
  return win::LocalNow();
}

}  // namespace wd
