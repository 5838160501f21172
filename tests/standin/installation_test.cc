#include "standin/installation.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "base/file_error.h"
#include "base/files.h"
#include "base/runtime_error.h"
#include "controls/scripted_ui.h"
#include "standin/png.h"
#include "standin/standin_host.h"
#include "support/temp_dir.h"

namespace lirvo::standin {
namespace {

TEST(PngTest, ChecksumsMatchTheirPublishedCheckValues) {
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32("IEND"), 0xAE426082u);
  EXPECT_EQ(Adler32("Wikipedia"), 0x11E60398u);
}

uint32_t BigEndianAt(const std::string& s, size_t pos) {
  return (uint32_t(uint8_t(s[pos])) << 24) | (uint32_t(uint8_t(s[pos + 1])) << 16) |
         (uint32_t(uint8_t(s[pos + 2])) << 8) | uint32_t(uint8_t(s[pos + 3]));
}

TEST(PngTest, IconIsAWellFormedPng) {
  const std::string png = MakeIconPng(16, {255, 0, 0}, {0, 0, 0});
  ASSERT_TRUE(png.starts_with("\x89PNG\r\n\x1a\n"));
  // Walk the chunks: each CRC covers type and data; IHDR, IDAT, IEND in order.
  std::vector<std::string> types;
  size_t pos = 8;
  while (pos + 12 <= png.size()) {
    const uint32_t len = BigEndianAt(png, pos);
    const std::string type = png.substr(pos + 4, 4);
    ASSERT_LE(pos + 12 + len, png.size());
    EXPECT_EQ(BigEndianAt(png, pos + 8 + len), Crc32(png.substr(pos + 4, 4 + len))) << type;
    if (type == "IHDR") {
      EXPECT_EQ(BigEndianAt(png, pos + 8), 16u);
      EXPECT_EQ(BigEndianAt(png, pos + 12), 16u);
    }
    if (type == "IDAT") {
      // zlib header, one final stored block of 16 rows of (1 + 16 * 3) bytes.
      const std::string z = png.substr(pos + 8, len);
      EXPECT_EQ(z.substr(0, 3), std::string("\x78\x01\x01", 3));
      const size_t raw = 16 * (1 + 16 * 3);
      EXPECT_EQ(uint8_t(z[3]) | (uint8_t(z[4]) << 8), raw);
      EXPECT_EQ(z.size(), 2 + 5 + raw + 4);
      EXPECT_EQ(BigEndianAt(z, z.size() - 4), Adler32(z.substr(7, raw)));
      // Second row: border pixel, then red.
      EXPECT_EQ(z.substr(7 + 49, 7), std::string("\0\0\0\0\xff\0\0", 7));
    }
    types.push_back(type);
    pos += 12 + len;
  }
  EXPECT_EQ(pos, png.size());
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
}

TEST(InstallationTest, PathsAreAbsoluteWithoutTrailingSeparators) {
  Installation inst("/srv/lirvo/");
  EXPECT_EQ(inst.Root(), "/srv/lirvo");
  EXPECT_EQ(inst.DocumentsFolder(), "/srv/lirvo/documents/");
  EXPECT_TRUE(Installation("relative/x").Root().starts_with("/"));
}

TEST(InstallationTest, LayoutIsReadableByTheHostItServesWhichNeedsAnArchive) {
  test_support::TempDir dir;
  Installation inst(dir.File("a/b"));  // missing parents are made
  FileSystem& fs = RealFileSystem();
  ui::ScriptedUi ui;
  EXPECT_FALSE(InstallationExists(fs, inst));
  EXPECT_THROW({ StandinHost h(dir.path(), ui, fs); }, RuntimeError);  // no archive
  StandinHost created(dir.path(), ui, fs, /*create_archive=*/true);
  LayOutInstallation(fs, inst, false, {{"0101", "GLICEMIA", "GLU", "Glucosio"}});
  EXPECT_TRUE(InstallationExists(fs, inst));
  EXPECT_TRUE(fs.DirectoryExists(dir.File("a/b/documents")));
  for (const char* icon : kIconNames) {
    EXPECT_TRUE(fs.ReadFile(JoinPath(inst.StylesFolder(), icon)).starts_with("\x89PNG")) << icon;
  }
  // Config.xml and the transcoding table as the plug-in reads them: every
  // transcript's "dump config" and the transcoded values of its chart dumps
  // (tests/e2e).
  StandinHost host(inst.Root(), ui, fs);
  EXPECT_NE(host.NewXML(), host.NewXML());  // a fresh object every time
  EXPECT_TRUE(host.Archive().ListPatients().empty());
}

TEST(InstallationTest, ALayoutThatFailsHalfWayIsUndoneAndCanBeTriedAgain) {
  test_support::TempDir dir;
  const Installation inst(dir.File("a/b/inst"));
  for (const char* failing : {"REFPrint.png", "TrascodificaLirvo.xml"}) {
    FaultyFileSystem full(RealFileSystem());
    full.FailWithOsError(FsOp::kWrite, failing, ENOSPC);
    LayoutRollback rollback(full, inst);
    EXPECT_THROW(LayOutInstallation(full, inst, false), FileError) << failing;
    rollback.Undo();
    EXPECT_FALSE(std::filesystem::exists(dir.File("a"))) << failing;
  }
  // Folders and files that were there before stay.
  std::filesystem::create_directories(inst.Root() + "/documents");
  RealFileSystem().WriteFile(inst.Root() + "/documents/referti.dat", "keep");
  FaultyFileSystem full(RealFileSystem());
  full.FailWithOsError(FsOp::kWrite, "Config.xml", ENOSPC);
  LayoutRollback rollback(full, inst);
  EXPECT_THROW(LayOutInstallation(full, inst, false), FileError);
  rollback.Undo();
  EXPECT_EQ(RealFileSystem().ReadFile(inst.Root() + "/documents/referti.dat"), "keep");
  EXPECT_FALSE(std::filesystem::exists(inst.PluginFolder()));
  EXPECT_FALSE(InstallationExists(RealFileSystem(), inst));
  LayOutInstallation(RealFileSystem(), inst, false);
  EXPECT_TRUE(InstallationExists(RealFileSystem(), inst));
}

TEST(InstallationTest, ExistingFilesAreKeptUnlessForced) {
  test_support::TempDir dir;
  Installation inst(dir.path());
  FileSystem& fs = RealFileSystem();
  LayOutInstallation(fs, inst, false);
  SqliteArchive::Open(inst.ArchiveFile())->AddPatient({0, "ROSSI", "MARIO", "01/02/1950", "", "1"});
  ReplaceFileContent(fs, inst.ConfigFile(), "<mine/>");
  ReplaceFileContent(fs, inst.DocumentsFolder() + "b.dat", "bundle");

  LayOutInstallation(fs, inst, false);
  EXPECT_EQ(fs.ReadFile(inst.ConfigFile()), "<mine/>");
  EXPECT_EQ(SqliteArchive::Open(inst.ArchiveFile())->ListPatients().size(), 1u);

  LayOutInstallation(fs, inst, true);
  EXPECT_EQ(fs.ReadFile(inst.ConfigFile()), ConfigXmlText(inst.DocumentsFolder()));
  EXPECT_TRUE(SqliteArchive::Open(inst.ArchiveFile())->ListPatients().empty());
  EXPECT_EQ(fs.ReadFile(inst.DocumentsFolder() + "b.dat"), "bundle");
}

}  // namespace
}  // namespace lirvo::standin
