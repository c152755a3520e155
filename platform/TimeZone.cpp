// SPDX-License-Identifier: MIT
#include "platform/TimeZone.h"

#include <cstdlib>
#include <ctime>

void PinLocalTimeZone() {
  if (std::getenv("TZ") == nullptr) ::setenv("TZ", ":/etc/localtime", 0);
  ::tzset();
}
