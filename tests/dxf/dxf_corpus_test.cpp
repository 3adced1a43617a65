// Public drawings of several releases (tests/dxf/corpus, see its README):
// what our reader reads of each, against what an independent reader (ezdxf)
// reads: the entities, the circles (holes), the meshes and block references
// left out, and the extents of the plan.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "dxf/dxf_geometry.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

TEST(DxfCorpus, ReadsWhatAnIndependentReaderReads) {
  const fs::path folder = fs::path(DRILLING_SOURCE_DIR) / "tests/dxf/corpus";
  std::ifstream expected(folder / "expected.txt");
  ASSERT_TRUE(expected.good());
  int files = 0;
  for (std::string row; std::getline(expected, row);) {
    std::istringstream fields(row);
    std::string name, version;
    fields >> name >> version;
    SCOPED_TRACE(name);
    ++files;
    dxf::Drawing d;
    std::string error;
    const bool read = dxf::ReadDxf(testsupport::ReadBytes(folder / name), d, error);
    if (version == "binary") {  // refused with its reason
      EXPECT_FALSE(read);
      EXPECT_NE(error.find("binary DXF"), std::string::npos);
      continue;
    }
    ASSERT_TRUE(read) << error;
    std::vector<dxf::Piece> pieces;
    dxf::PlanNotes notes;
    dxf::PlanPieces(d, pieces, notes);
    if (version == "unreadable") continue;  // ezdxf gives up; ours reads what is there, no more to compare
    EXPECT_TRUE(d.problems.empty());
    std::size_t entities, circles, meshes, inserts;
    fields >> entities >> circles >> meshes >> inserts;
    std::size_t ours = 0, ourCircles = 0;
    for (const dxf::Entity& e : d.entities) {
      if (e.paperSpace || e.kind == dxf::Entity::Kind::Insert) continue;
      ++ours;
      double x, y, r;
      ourCircles += e.kind == dxf::Entity::Kind::Circle && dxf::PlanCircle(e, x, y, r);
    }
    EXPECT_EQ(ours, entities);
    EXPECT_EQ(ourCircles, circles);
    int ourMeshes = 0;
    for (const dxf::SkippedKind& k : d.skipped) ourMeshes += k.name == "POLYLINE (mesh)" ? k.count : 0;
    EXPECT_EQ(static_cast<std::size_t>(ourMeshes), meshes);
    EXPECT_EQ(static_cast<std::size_t>(notes.inserts), inserts);
    std::string box[4];
    fields >> box[0] >> box[1] >> box[2] >> box[3];
    if (box[0] == "-") {
      EXPECT_TRUE(pieces.empty());
      continue;
    }
    ASSERT_FALSE(pieces.empty());
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (const dxf::Piece& p : pieces)
      for (auto [x, y] : {std::pair{p.x1, p.y1}, std::pair{p.x2, p.y2}})
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
    // Arcs are drawn as chords: their extremes may lie a little inside.
    const double size = std::max(std::stod(box[2]) - std::stod(box[0]), std::stod(box[3]) - std::stod(box[1]));
    const double tolerance = 0.002 * size + 1e-6;
    EXPECT_NEAR(minX, std::stod(box[0]), tolerance);
    EXPECT_NEAR(minY, std::stod(box[1]), tolerance);
    EXPECT_NEAR(maxX, std::stod(box[2]), tolerance);
    EXPECT_NEAR(maxY, std::stod(box[3]), tolerance);
  }
  EXPECT_GE(files, 19);
}

}  // namespace
