// SPDX-License-Identifier: MIT
#include "platform/IsoSerial.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

uint32_t IsoDescriptorSerial(std::string_view descriptor) {
  if (descriptor.size() != kIsoSectorSize) return 0;
  uint8_t lane[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < kIsoSectorSize; ++i)
    lane[i & 3] = static_cast<uint8_t>(lane[i & 3] + static_cast<uint8_t>(descriptor[i]));
  return (uint32_t{lane[0]} << 24) | (uint32_t{lane[1]} << 16) | (uint32_t{lane[2]} << 8) |
         uint32_t{lane[3]};
}

bool IsIsoPrimaryDescriptor(std::string_view descriptor) {
  return descriptor.size() == kIsoSectorSize && descriptor[0] == '\x01' &&
         descriptor.substr(1, 5) == "CD001";
}

TError ReadIsoSerial(const std::string& path, int64_t sessionStart, uint32_t& serial) {
  if (sessionStart < 0) return TError::Failure("not an ISO 9660 volume");
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return TError::Failure(std::strerror(errno));
  char buf[kIsoSectorSize];
  const off_t offset = static_cast<off_t>(sessionStart + kIsoPrimaryDescriptorSector * 2048);
  size_t got = 0;
  int err = 0;
  while (got < sizeof buf) {
    ssize_t n = ::pread(fd, buf + got, sizeof buf - got, offset + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) err = errno;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (err != 0) return TError::Failure(std::strerror(err));
  if (got < sizeof buf) return TError::Failure("not an ISO 9660 volume");
  std::string_view pvd(buf, sizeof buf);
  if (!IsIsoPrimaryDescriptor(pvd)) return TError::Failure("not an ISO 9660 volume");
  serial = IsoDescriptorSerial(pvd);
  return {};
}

int64_t CdLastSessionStart(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return 0;
  struct cdrom_multisession ms;
  std::memset(&ms, 0, sizeof ms);
  ms.addr_format = CDROM_LBA;
  int64_t start = 0;
  if (::ioctl(fd, CDROMMULTISESSION, &ms) == 0 && ms.xa_flag && ms.addr.lba > 0)
    start = int64_t{ms.addr.lba} * 2048;
  ::close(fd);
  return start;
}
