// SPDX-License-Identifier: MIT
// A file descriptor closed when it leaves scope. -1 holds nothing.
#pragma once

#include <unistd.h>

struct TUniqueFd {
  int fd = -1;
  explicit TUniqueFd(int f = -1) : fd(f) {}
  ~TUniqueFd() {
    if (fd >= 0) ::close(fd);
  }
  TUniqueFd(const TUniqueFd&) = delete;
  TUniqueFd& operator=(const TUniqueFd&) = delete;
};
