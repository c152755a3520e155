// SPDX-License-Identifier: MIT
#include "platform/Tray.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

bool SetTrayClosed(const std::string& device, bool close) {
  // O_NONBLOCK: open the drive even when it holds no medium or its tray is open.
  int fd = ::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISBLK(st.st_mode) &&
            ::ioctl(fd, close ? CDROMCLOSETRAY : CDROMEJECT, 0) == 0;
  ::close(fd);
  return ok;
}

bool SetDriveDoor(const std::string& drive, bool close, const TSystemView& view) {
  TMountEntry probe;
  if (drive.rfind("/dev/", 0) == 0) {
    probe.Source = drive;
  } else {
    std::vector<TMountEntry> mounts;
    if (ReadMountTable(view, mounts).Failed()) return false;
    int i = FindContainingMount(mounts, drive);
    if (i < 0 || mounts[static_cast<size_t>(i)].MountPoint != drive) return false;
    probe = mounts[static_cast<size_t>(i)];
  }
  TBlockDevice dev = LookupBlockDevice(probe, view.SysRoot);
  if (!dev.Found) return false;
  int type = DriveTypeOf(probe, dev);
  if (type != dtCdRom && type != dtRemovable) return false;
  return SetTrayClosed("/dev/" + dev.DiskName, close);
}
