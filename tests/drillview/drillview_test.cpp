// Drillview: the DXF reader on our own drawing and on entities drawn
// elsewhere, and the offscreen picture of the sample job's program against
// the stored reference.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>

#include "Drillview/dxf_reader.h"
#include "Drillview/scene.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using drillview::DxfEntity;

// The sample job's drawing as the DXF writer writes it: the stock as four
// lines, one circle per hole and diameter (4 drill holes, 2 taps with their
// pilot, 2 counterbores with their seat).
TEST(DxfReader, ReadsTheDrawingOfOurWriter) {
  std::string bytes = testsupport::ReadBytes(fs::path(DRILLING_SOURCE_DIR) / "tests/companions/golden/SAMPLE-PLATE.dxf");
  drillview::DxfDrawing drawing;
  std::string error;
  ASSERT_TRUE(drillview::ReadDxf(bytes, drawing, error)) << error;
  int lines = 0, circles = 0;
  for (const DxfEntity& e : drawing.entities) {
    lines += e.kind == DxfEntity::Line;
    circles += e.kind == DxfEntity::Circle;
  }
  EXPECT_EQ(lines, 4);
  EXPECT_EQ(circles, 4 + 2 * 2 + 2 * 2);
  EXPECT_EQ(drawing.skipped, 0);
  drillview::Scene scene = drillview::DrawingScene(drawing);
  EXPECT_FALSE(scene.isProgram);
  EXPECT_NEAR(scene.topBounds.minX, 0, 1e-9);
  EXPECT_NEAR(scene.topBounds.maxX, 150, 1e-9);
  EXPECT_NEAR(scene.topBounds.maxY, 100, 1e-9);
}

// Polylines of both kinds (a bulge bends an edge: +1 is a half circle to the
// left of the way), an arc counter-clockwise from 0 to 90 degrees, and an
// entity it does not draw; then a file that is no group sequence.
TEST(DxfReader, PolylinesArcsAndBadFiles) {
  const std::string bytes =
      "0\nSECTION\n2\nHEADER\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
      "0\nLWPOLYLINE\n8\nA\n90\n4\n70\n1\n10\n0\n20\n0\n10\n10\n20\n0\n10\n10\n20\n10\n42\n1\n10\n0\n20\n10\n"
      "0\nARC\n8\nA\n10\n20\n20\n0\n40\n5\n50\n0\n51\n90\n"
      "0\nPOLYLINE\n8\nB\n66\n1\n70\n0\n0\nVERTEX\n10\n30\n20\n0\n0\nVERTEX\n10\n40\n20\n-5\n0\nSEQEND\n"
      "0\nTEXT\n8\nA\n1\nNOTE\n0\nENDSEC\n0\nEOF\n";
  drillview::DxfDrawing drawing;
  std::string error;
  ASSERT_TRUE(drillview::ReadDxf(bytes, drawing, error)) << error;
  ASSERT_EQ(drawing.entities.size(), 3u);
  EXPECT_EQ(drawing.entities[0].vertices.size(), 4u);
  EXPECT_TRUE(drawing.entities[0].closed);
  EXPECT_EQ(drawing.entities[2].kind, DxfEntity::Polyline);
  EXPECT_EQ(drawing.entities[2].vertices.size(), 2u);
  EXPECT_FALSE(drawing.entities[2].closed);
  EXPECT_EQ(drawing.skipped, 1);

  drillview::Scene scene = drillview::DrawingScene(drawing);
  EXPECT_NEAR(scene.topBounds.maxY, 15, 1e-6);  // the half circle over the top edge
  EXPECT_NEAR(scene.topBounds.maxX, 40, 1e-9);
  EXPECT_NEAR(scene.topBounds.minY, -5, 1e-9);
  EXPECT_EQ(scene.findings.size(), 1u);  // the TEXT not shown

  EXPECT_FALSE(drillview::ReadDxf("0\nSECTION\nabc\nENTITIES\n", drawing, error));
  EXPECT_EQ(error, "line 3: group code is not a whole number");
}

// The sample job's program (written by drillnc nc), drawn offscreen: within
// a small tolerance of the stored reference, which was looked at by eye.
TEST(DrillviewPicture, SampleProgramMatchesTheReference) {
  testsupport::TempFolder home;
  fs::create_directories(home / "DB");
  for (const char* name : {"Drilling.ini", "Relaypane.ini"})
    fs::copy_file(fs::path(DRILLING_PROGRAM_DIR) / name, home / name);
  fs::copy_file(fs::path(DRILLING_PROGRAM_DIR) / "DB" / "SAMPLE-PLATE.ini", home / "DB" / "SAMPLE-PLATE.ini");
  const std::string program = DRILLING_PROGRAM_DIR;
  std::string nc = "'" + program + "/drillnc' --home '" + home.Path().string() + "' nc SAMPLE-PLATE --no-sim >/dev/null";
  ASSERT_EQ(std::system(nc.c_str()), 0);
  const fs::path png = home / "sample.png";
  std::string view = "QT_QPA_PLATFORM=offscreen '" + program + "/Drillview' --png '" + png.string() +
                     "' --size 1200x800 '" + (home / "ncdata" / "O1001.nc").string() + "' 2>/dev/null";
  ASSERT_EQ(std::system(view.c_str()), 0);

  QImage got(QString::fromStdString(png.string()));
  QImage want(QString::fromStdString(
      (fs::path(DRILLING_SOURCE_DIR) / "tests/drillview/golden/sample_program.png").string()));
  ASSERT_FALSE(want.isNull());
  ASSERT_EQ(got.size(), want.size());
  got = got.convertToFormat(QImage::Format_RGB32);
  want = want.convertToFormat(QImage::Format_RGB32);
  // Pixels that differ clearly (not a shade of anti-aliasing); a few may
  // where a font renders a little differently.
  long differing = 0;
  for (int y = 0; y < got.height(); ++y) {
    for (int x = 0; x < got.width(); ++x) {
      QRgb a = got.pixel(x, y), b = want.pixel(x, y);
      int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
      differing += d > 64;
    }
  }
  EXPECT_LT(differing, got.width() * got.height() / 200) << "pixels that differ: " << differing;
}

}  // namespace
