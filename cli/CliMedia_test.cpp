// SPDX-License-Identifier: MIT
// A medium of today's media catalogued by tolvane-cli: photos, music, video, documents and a disc
// image each get their description, and a description search finds them.
#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"
#include "scan/MediaTestUtil.h"

namespace {

// The rows of `find` over descriptions, only their paths.
std::vector<std::string> FoundPaths(const std::string& catalog, const std::string& mask) {
  TCliResult r = RunCli({"find", catalog, mask, "--in", "desc"});
  EXPECT_EQ(r.Status, 0) << r.Err;
  std::vector<std::string> paths;
  for (const std::string& row : Lines(r.Out)) paths.push_back(row.substr(0, row.find('\t')));
  return paths;
}

}  // namespace

TEST(CliMediaTest, AMediumOfPhotosMusicVideoDocumentsAndAnImage) {
  for (const char* tool : {"ffmpeg", "exiftool", "sox", "flac", "python3", "genisoimage"}) {
    REQUIRE_TOOL(tool);
  }
  std::string dir = ScratchDir("cli-media");
  std::string medium = dir + "/Media";
  ASSERT_TRUE(RunIn(dir, "mkdir -p Media/Photos Media/Music Media/Video Media/Docs iso/inner"));
  ASSERT_TRUE(
      RunIn(medium + "/Photos",
            "ffmpeg -v error -f lavfi -i color=c=red:s=64x48 -frames:v 1 -y IMG_0001.JPG && "
            "exiftool -q -overwrite_original -Make=Canon '-Model=Canon EOS 80D' "
            "'-DateTimeOriginal=2023:05:01 12:34:56' IMG_0001.JPG"));
  ASSERT_TRUE(RunIn(medium + "/Music",
                    "sox -n -r 44100 -c 2 -b 16 t.wav synth 2 sine 440 && flac -s -f "
                    "--tag=ARTIST=Artist --tag=TITLE=Song -o song.flac t.wav && rm t.wav"));
  ASSERT_TRUE(RunIn(medium + "/Video",
                    "ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25 -t 1 -c:v libx264 "
                    "-pix_fmt yuv420p -y clip.mp4"));
  ASSERT_TRUE(RunIn(medium + "/Docs",
                    "python3 -c \"import zipfile; z = zipfile.ZipFile('plan.docx', 'w'); "
                    "z.writestr('docProps/core.xml', '<cp:coreProperties xmlns:cp=\\\"x\\\" "
                    "xmlns:dc=\\\"http://purl.org/dc/elements/1.1/\\\"><dc:title>Plan</dc:title>"
                    "</cp:coreProperties>'); z.close()\""));
  ASSERT_TRUE(RunIn(dir,
                    "echo hello > iso/inner/readme.txt && genisoimage -quiet -J -R -V DISC "
                    "-o Media/disc.iso iso"));
  std::string catalog = dir + "/media.ctl";
  TCliResult add = RunCli({"add", catalog, medium, "--quiet"});
  ASSERT_EQ(add.Status, 0) << add.Err;
  EXPECT_EQ(add.Out + add.Err, "");  // no library says anything on its own

  std::string rows = AllRows(catalog);
  auto descOf = [&rows](const std::string& path) {
    size_t at = rows.find(path + "\t");
    if (at == std::string::npos) return std::string("(missing)");
    size_t end = rows.find('\n', at);
    std::string row = rows.substr(at, end - at);
    return row.substr(row.rfind('\t') + 1);
  };
  EXPECT_EQ(descOf("Media\\Photos\\IMG_0001.JPG"),
            "Canon EOS 80D\\n2023-05-01 12:34:56\\n64 x 48 x 24 bits");
  EXPECT_EQ(descOf("Media\\Music\\song.flac"),
            "Artist - Song\\n0:02, FLAC, 44.1 kHz, 2 ch, 16 bits");
  EXPECT_EQ(descOf("Media\\Video\\clip.mp4"), "0:01, 320 x 240, H.264, 25 fps");
  EXPECT_EQ(descOf("Media\\Docs\\plan.docx"), "Plan");
  // The image is listed as a folder of its files.
  EXPECT_NE(rows.find("Media\\disc.iso\\inner\\readme.txt\tFile\t6\t"), std::string::npos) << rows;

  EXPECT_EQ(FoundPaths(catalog, "Canon*"),
            (std::vector<std::string>{"Media\\Photos\\IMG_0001.JPG"}));
  EXPECT_EQ(FoundPaths(catalog, "*H.264*"), (std::vector<std::string>{"Media\\Video\\clip.mp4"}));
}
