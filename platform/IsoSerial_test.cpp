// SPDX-License-Identifier: MIT
// Tests of the ISO 9660 volume serial on hand-made descriptors and on the image
// platform/testdata/disc.iso (made with genisoimage: Joliet, label "Tolvane Disc").
#include "platform/IsoSerial.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/FileIO.h"
#include "platform/Volumes.h"

namespace {

const std::string kDisc = std::string(TOLVANE_SOURCE_DIR) + "/platform/testdata/disc.iso";

std::string TempFile(const std::string& name, std::string_view bytes) {
  const char* base = std::getenv("TOLVANE_TEST_TMP");
  std::filesystem::path dir = base && *base ? base : std::filesystem::temp_directory_path();
  std::filesystem::create_directories(dir);
  std::string path = (dir / name).string();
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace

TEST(IsoSerialSum, FourByteLanesWrapWithoutCarry) {
  std::string d(kIsoSectorSize, '\0');
  EXPECT_EQ(IsoDescriptorSerial(d), 0u);
  // Position i%4 == 0 is the most significant byte, 3 the least.
  d[0] = 0x12;
  d[5] = 0x34;
  d[10] = 0x56;
  d[2047] = 0x78;
  EXPECT_EQ(IsoDescriptorSerial(d), 0x12345678u);
  // Each lane wraps at 256 and does not carry into its neighbour: 0xFF + 0x02 = 0x01.
  d.assign(kIsoSectorSize, '\0');
  d[3] = '\xFF';
  d[7] = '\x02';
  EXPECT_EQ(IsoDescriptorSerial(d), 0x00000001u);
  // 512 bytes of 1 per lane sum to 512, which wraps to 0 in every lane.
  EXPECT_EQ(IsoDescriptorSerial(std::string(kIsoSectorSize, '\x01')), 0u);
  // Wrong sizes give no serial.
  EXPECT_EQ(IsoDescriptorSerial(std::string(kIsoSectorSize - 1, '\x01')), 0u);
  EXPECT_EQ(IsoDescriptorSerial(std::string(kIsoSectorSize + 4, '\x01')), 0u);
}

TEST(IsoSerialFixture, PrimaryDescriptorOfTheImage) {
  std::string image;
  ASSERT_EQ(ReadWholeFile(kDisc, image).Message(), "");
  ASSERT_GE(image.size(), 17 * kIsoSectorSize);
  std::string_view pvd(image.data() + 16 * kIsoSectorSize, kIsoSectorSize);
  EXPECT_TRUE(IsIsoPrimaryDescriptor(pvd));
  // The supplementary (Joliet) descriptor that follows is not the primary one.
  std::string_view next(image.data() + 17 * kIsoSectorSize, kIsoSectorSize);
  EXPECT_FALSE(IsIsoPrimaryDescriptor(next));

  uint32_t serial = 0;
  ASSERT_EQ(ReadIsoSerial(kDisc, 0, serial).Message(), "");
  // Worked out independently from the descriptor bytes.
  EXPECT_EQ(FormatVolumeSerial(serial), "53AD-FB45");
  EXPECT_EQ(VolumeSerialText("iso9660", kDisc, "2026-12-09-05-38-10-00", true), "53AD-FB45");
  // Without reading the medium the serial comes from the UUID.
  EXPECT_EQ(VolumeSerialText("iso9660", kDisc, "2026-12-09-05-38-10-00", false), "2026-1209");
}

TEST(IsoSerialFixture, LibblkidReadsLabelAndUuid) {
  TDeviceIds ids;
  ASSERT_EQ(ProbeDeviceIds(kDisc, ids).Message(), "");
  EXPECT_EQ(ids.FsType, "iso9660");
  EXPECT_EQ(ids.Label, "Tolvane Disc");
  EXPECT_EQ(ids.Uuid, "2026-12-09-05-38-10-00");
}

TEST(IsoSerialFixture, RejectsWhatIsNoIsoVolume) {
  uint32_t serial = 7;
  EXPECT_NE(ReadIsoSerial(kDisc + ".missing", 0, serial).Message(), "");
  // Shifted by one sector: sector 16 is then the Joliet descriptor (type 2).
  EXPECT_EQ(ReadIsoSerial(kDisc, 2048, serial).Message(), "not an ISO 9660 volume");
  EXPECT_EQ(ReadIsoSerial(kDisc, -1, serial).Message(), "not an ISO 9660 volume");

  std::string image;
  ASSERT_EQ(ReadWholeFile(kDisc, image).Message(), "");
  // Cut inside the primary descriptor.
  std::string cut = TempFile("iso-cut.bin", std::string_view(image).substr(0, 16 * 2048 + 1000));
  EXPECT_EQ(ReadIsoSerial(cut, 0, serial).Message(), "not an ISO 9660 volume");
  // A damaged identifier.
  std::string bad = image;
  bad[16 * 2048 + 3] = 'X';
  std::string badPath = TempFile("iso-bad.bin", bad);
  EXPECT_EQ(ReadIsoSerial(badPath, 0, serial).Message(), "not an ISO 9660 volume");
  EXPECT_EQ(serial, 7u);
  // A regular file is no CD drive: single session.
  EXPECT_EQ(CdLastSessionStart(kDisc), 0);
  std::filesystem::remove(cut);
  std::filesystem::remove(badPath);
}
