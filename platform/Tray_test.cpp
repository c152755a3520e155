// SPDX-License-Identifier: MIT
// Tray control must fail quietly for anything that is not a CD or removable drive.
#include "platform/Tray.h"

#include <gtest/gtest.h>

namespace {
const std::string kTestData = std::string(TOLVANE_SOURCE_DIR) + "/platform/testdata";
}

TEST(Tray, RefusesWhatIsNoDrive) {
  EXPECT_FALSE(SetTrayClosed(kTestData + "/disc.iso", false));  // a regular file
  EXPECT_FALSE(SetTrayClosed("/dev/null", true));               // a character device
  EXPECT_FALSE(SetTrayClosed("/nonexistent/sr9", true));

  TSystemView view;
  view.MountInfo = kTestData + "/mountinfo.txt";
  view.SysRoot = kTestData + "/sys";
  view.ProbeDevices = false;
  EXPECT_FALSE(SetDriveDoor("/", false, view));         // a fixed disk
  EXPECT_FALSE(SetDriveDoor("/mnt/nas", false, view));  // a network mount
  EXPECT_FALSE(SetDriveDoor("/boot", false, view));     // not a mount point
  EXPECT_FALSE(SetDriveDoor("/dev/sda", false, view));  // a fixed disk by device node
}
