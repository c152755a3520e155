// SPDX-License-Identifier: MIT
// The document readers: PDF through Poppler, ODF, OOXML and EPUB metadata through libarchive and
// Expat. The PDFs are written here byte by byte; the ZIP containers by python's zipfile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/FileIO.h"
#include "scan/ByteSource.h"
#include "scan/MediaTestUtil.h"
#include "scan/OfficeDesc.h"
#include "scan/PdfDesc.h"

namespace {

// A PDF of `pages` empty pages whose information dictionary holds `info`, with a correct
// cross-reference table (or one whose offsets are all wrong).
std::string MakePdf(int pages, const std::string& info, bool brokenXref = false) {
  std::vector<std::string> objects;
  objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
  std::string kids;
  for (int i = 0; i < pages; ++i) kids += std::to_string(4 + i) + " 0 R ";
  objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
  objects.push_back(info);
  for (int i = 0; i < pages; ++i)
    objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>");
  std::string pdf = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t off : offsets) {
    char line[32];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", brokenXref ? off + 3 : off);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
         " /Root 1 0 R /Info 3 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

// Writes the ZIP `name` in `dir` with python's zipfile, its members (name, text) in order.
bool MakeZip(const std::string& dir, const std::string& name,
             const std::vector<std::pair<std::string, std::string>>& members) {
  std::string all =
      "import zipfile\nz = zipfile.ZipFile('" + name + "', 'w', zipfile.ZIP_DEFLATED)\n";
  for (size_t i = 0; i < members.size(); ++i) {
    std::string file = "m" + std::to_string(i);
    EXPECT_TRUE(WriteWholeFileAtomic(dir + "/" + file, members[i].second).Ok());
    all += "z.write('" + file + "', '" + members[i].first + "')\n";
  }
  all += "z.close()\n";
  EXPECT_TRUE(WriteWholeFileAtomic(dir + "/make.py", all).Ok());
  return RunIn(dir, "python3 make.py");
}

std::string Office(const std::string& path) { return OfficeDescription(TByteSource::OfFile(path)); }

}  // namespace

TEST(PdfDesc, TitleAuthorAndPagesAgreeWithPdfinfo) {
  LoadMediaTexts();
  std::string dir = MediaScratch("pdf");
  std::string pdf = MakePdf(3, "<< /Title (Annual Report) /Author (Jane Roe) >>");
  ASSERT_TRUE(WriteWholeFileAtomic(dir + "/a.pdf", pdf).Ok());
  EXPECT_EQ(PdfDescription(TByteSource::OfFile(dir + "/a.pdf")),
            "Annual Report\r\nAuthor: Jane Roe\r\nPages: 3");
  if (HaveTool("pdfinfo")) {
    EXPECT_EQ(OutputIn(dir, "pdfinfo a.pdf | grep -E '^(Title|Author|Pages):' | tr -s ' '"),
              "Title: Annual Report\nAuthor: Jane Roe\nPages: 3");
  }
  // A UTF-16 title with its byte-order mark; no information dictionary at all.
  EXPECT_EQ(PdfDescriptionFromBytes(MakePdf(1, "<< /Title <FEFF041A0438043D043E> >>")),
            "Кино\r\nPages: 1");
  EXPECT_EQ(PdfDescriptionFromBytes(MakePdf(2, "<< >>")), "Pages: 2");
  // Poppler rebuilds a cross-reference table whose offsets are wrong.
  std::string mended = PdfDescriptionFromBytes(MakePdf(1, "<< /Title (Mended) >>", true));
  EXPECT_NE(mended.find("Pages: 1"), std::string::npos) << mended;
}

TEST(PdfDesc, ForeignAndDamagedFilesGiveNothing) {
  LoadMediaTexts();
  EXPECT_EQ(PdfDescriptionFromBytes(""), "");
  EXPECT_EQ(PdfDescriptionFromBytes("just some text that is no PDF"), "");
  EXPECT_EQ(PdfDescriptionFromBytes("%PDF-1.4\n%%EOF\n"), "");
  std::string pdf = MakePdf(2, "<< /Title (T) >>");
  for (size_t n = 0; n < pdf.size(); n += 13)
    PdfDescriptionFromBytes(std::string_view(pdf).substr(0, n));  // must not crash
}

TEST(OfficeDesc, OpenDocumentOfficeOpenXmlAndEpub) {
  REQUIRE_TOOL("python3");
  LoadMediaTexts();
  std::string dir = MediaScratch("office");
  ASSERT_TRUE(
      MakeZip(dir, "a.odt",
              {{"mimetype", "application/vnd.oasis.opendocument.text"},
               {"meta.xml",
                "<?xml version=\"1.0\"?><office:document-meta "
                "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                "xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\"><office:meta>"
                "<dc:title>Travel &amp; Notes</dc:title><dc:creator>Last Editor</dc:creator>"
                "<meta:initial-creator>First Author</meta:initial-creator></office:meta>"
                "</office:document-meta>"}}));
  EXPECT_EQ(Office(dir + "/a.odt"), "Travel & Notes\r\nAuthor: First Author");

  ASSERT_TRUE(
      MakeZip(dir, "b.docx",
              {{"[Content_Types].xml", "<Types/>"},
               {"docProps/core.xml",
                "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/"
                "metadata/core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
                "<dc:title>Quarterly  Plan</dc:title><dc:creator>Max Mustermann</dc:creator>"
                "</cp:coreProperties>"}}));
  EXPECT_EQ(Office(dir + "/b.docx"), "Quarterly  Plan\r\nAuthor: Max Mustermann");

  // An EPUB: the package document container.xml names wins over another one before it.
  const std::string opf =
      "<package xmlns=\"http://www.idpf.org/2007/opf\"><metadata "
      "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>%T</dc:title>"
      "<dc:creator>Лев Толстой</dc:creator></metadata></package>";
  auto with = [&opf](const std::string& title) {
    std::string s = opf;
    s.replace(s.find("%T"), 2, title);
    return s;
  };
  ASSERT_TRUE(MakeZip(
      dir, "c.epub",
      {{"mimetype", "application/epub+zip"},
       {"other/decoy.opf", with("Decoy")},
       {"META-INF/container.xml",
        "<container xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles>"
        "<rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>"
        "</rootfiles></container>"},
       {"OEBPS/content.opf", with("Война и мир")}}));
  EXPECT_EQ(Office(dir + "/c.epub"), "Война и мир\r\nAuthor: Лев Толстой");
}

// Metadata that inflates without end, or expands entities without end, costs a bounded amount.
TEST(OfficeDesc, HostileContainersGiveNothingOrWhatCameBefore) {
  REQUIRE_TOOL("python3");
  LoadMediaTexts();
  std::string dir = MediaScratch("office-hostile");
  ASSERT_TRUE(WriteWholeFileAtomic(dir + "/bomb.py",
                                   "import zipfile\n"
                                   "z = zipfile.ZipFile('bomb.odt', 'w', zipfile.ZIP_DEFLATED)\n"
                                   "z.writestr('meta.xml', '<a>' + ' ' * (8 << 20))\n"
                                   "z.close()\n")
                  .Ok());
  ASSERT_TRUE(RunIn(dir, "python3 bomb.py"));
  EXPECT_EQ(Office(dir + "/bomb.odt"), "");
  std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE t [<!ENTITY a \"aaaaaaaaaa\">";
  for (char c = 'b'; c <= 'j'; ++c) {
    laughs += std::string("<!ENTITY ") + c + " \"";
    for (int i = 0; i < 10; ++i) laughs += std::string("&") + static_cast<char>(c - 1) + ";";
    laughs += "\">";
  }
  laughs += "]><t xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>&j;</dc:title></t>";
  TDocMetadata m = ParseDocMetadata(laughs);
  EXPECT_LT(m.Title.size(), 5000u);
  EXPECT_EQ(
      ParseDocMetadata("<t xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>Cut").Title,
      "Cut");
  EXPECT_EQ(OfficeDescriptionFromBytes("PK\x03\x04 and nothing of a ZIP after it"), "");
  EXPECT_EQ(OfficeDescriptionFromBytes(""), "");
}
