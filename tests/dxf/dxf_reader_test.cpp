// The DXF reader: header, blocks and the placed blocks (INSERT), and what it
// leaves out (meshes, entities with values that are no numbers, files that
// are no ASCII group sequence).
#include "dxf/dxf_reader.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Kind = dxf::Entity::Kind;

std::string Section(std::string_view name, std::string_view body) {
  return "0\nSECTION\n2\n" + std::string(name) + "\n" + std::string(body) + "0\nENDSEC\n";
}

// A block of one circle, placed twice (once as a 3 x 2 array with an
// attribute text after it), in a release 2000 file with a code page.
TEST(DxfReader, BlocksAndTheirInserts) {
  const std::string bytes =
      Section("HEADER", "9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\nANSI_932\n") +
      Section("BLOCKS",
              "0\nBLOCK\n8\n0\n2\nHOLE\n70\n0\n10\n1\n20\n2\n30\n0\n3\nHOLE\n"
              "0\nCIRCLE\n8\n0\n10\n1\n20\n2\n40\n4.25\n"
              "0\nTEXT\n8\n0\n1\nnot counted\n"
              "0\nENDBLK\n8\n0\n") +
      Section("ENTITIES",
              "0\nINSERT\n8\nHOLES\n2\nHOLE\n10\n50\n20\n60\n"
              "0\nINSERT\n8\nHOLES\n66\n1\n2\nhole\n10\n0\n20\n0\n41\n2\n42\n-2\n50\n90\n70\n3\n71\n2\n44\n20\n45\n15\n"
              "0\nATTRIB\n8\nHOLES\n1\nM8\n0\nSEQEND\n8\nHOLES\n"
              "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n5\n21\n0\n") +
      "0\nEOF\n";
  dxf::Drawing d;
  std::string error;
  ASSERT_TRUE(dxf::ReadDxf(bytes, d, error)) << error;
  EXPECT_EQ(d.version, "AC1015");
  EXPECT_EQ(d.codePage, "ANSI_932");
  ASSERT_EQ(d.blocks.size(), 1u);
  const dxf::Block* hole = d.FindBlock("Hole");
  ASSERT_NE(hole, nullptr);
  EXPECT_EQ(hole->base.x, 1);
  EXPECT_EQ(hole->base.y, 2);
  ASSERT_EQ(hole->entities.size(), 1u);
  EXPECT_EQ(hole->entities[0].radius, 4.25);
  EXPECT_EQ(d.SkippedCount(), 0);  // the block's TEXT is not the model's

  ASSERT_EQ(d.entities.size(), 3u);
  ASSERT_EQ(d.entities[0].kind, Kind::Insert);
  EXPECT_EQ(d.layers[d.entities[0].layer], "HOLES");
  EXPECT_EQ(d.entities[0].a.x, 50);
  ASSERT_EQ(d.inserts.size(), 2u);
  const dxf::Insert& array = d.inserts[d.entities[1].insert];
  EXPECT_EQ(array.block, "hole");
  EXPECT_EQ(array.scaleX, 2);
  EXPECT_EQ(array.scaleY, -2);
  EXPECT_EQ(array.rotationDeg, 90);
  EXPECT_EQ(array.columns, 3);
  EXPECT_EQ(array.rows, 2);
  EXPECT_EQ(array.columnSpacing, 20);
  EXPECT_EQ(array.rowSpacing, 15);
  EXPECT_EQ(d.entities[2].kind, Kind::Line);  // read after the attribute and its SEQEND
  EXPECT_EQ(d.entities[2].b.x, 5);
}

// One entity per case in the ENTITIES section, and what the reader makes of it.
TEST(DxfReader, EntitiesKeptSkippedOrRefused) {
  struct Case {
    const char* name;
    std::string entities;
    std::size_t kept;
    const char* skippedKind;  // the one kind counted as skipped, or null
    int problemLine;          // the line of the one problem, or 0
    std::function<void(const dxf::Drawing&)> more;
  };
  const Case cases[] = {
      {"a circle mirrored by its normal keeps the normal", "0\nCIRCLE\n10\n5\n20\n1\n40\n2\n210\n0\n220\n0\n230\n-1\n", 1,
       nullptr, 0, [](const dxf::Drawing& d) { EXPECT_EQ(d.entities[0].normal.z, -1); }},
      {"a polyface mesh is counted, not drawn",
       "0\nPOLYLINE\n66\n1\n70\n64\n0\nVERTEX\n10\n1\n20\n1\n70\n192\n0\nVERTEX\n70\n128\n71\n1\n0\nSEQEND\n", 0,
       "POLYLINE (mesh)", 0, nullptr},
      {"a polygon mesh is counted, not drawn", "0\nPOLYLINE\n70\n16\n0\nVERTEX\n10\n1\n20\n1\n0\nSEQEND\n", 0,
       "POLYLINE (mesh)", 0, nullptr},
      {"a 3D polyline keeps world vertices", "0\nPOLYLINE\n70\n9\n0\nVERTEX\n10\n1\n20\n1\n30\n4\n0\nSEQEND\n", 1,
       nullptr, 0,
       [](const dxf::Drawing& d) {
         EXPECT_TRUE(d.entities[0].worldVertices);
         EXPECT_TRUE(d.entities[0].closed);
       }},
      {"a paper-space line is marked", "0\nLINE\n67\n1\n11\n3\n", 1, nullptr, 0,
       [](const dxf::Drawing& d) { EXPECT_TRUE(d.entities[0].paperSpace); }},
      {"a radius that is no number leaves the circle out", "0\nCIRCLE\n10\n5\n40\nabc\n", 0, nullptr, 5, nullptr},
      {"an infinite coordinate leaves the line out", "0\nLINE\n10\n1e999\n", 0, nullptr, 5, nullptr},
      {"a flag beyond int leaves the polyline out", "0\nLWPOLYLINE\n70\n1e20\n10\n0\n20\n0\n", 0, nullptr, 5, nullptr},
      {"a hatch is counted", "0\nHATCH\n8\n0\n10\n0\n", 0, "HATCH", 0, nullptr},
      {"a kind of bytes beyond ASCII is counted under its printed name", "0\n\xEFX\n8\n0\n", 0, "\\xEFX", 0,
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dxf::Drawing d;
    std::string error;
    ASSERT_TRUE(dxf::ReadDxf(Section("ENTITIES", c.entities) + "0\nEOF\n", d, error)) << error;
    EXPECT_EQ(d.entities.size(), c.kept);
    if (c.skippedKind) {
      ASSERT_EQ(d.skipped.size(), 1u);
      EXPECT_EQ(d.skipped[0].name, c.skippedKind);
    } else {
      EXPECT_TRUE(d.skipped.empty());
    }
    if (c.problemLine) {
      ASSERT_EQ(d.problems.size(), 1u);
      EXPECT_EQ(d.problems[0].line, c.problemLine);
    } else {
      EXPECT_TRUE(d.problems.empty());
    }
    if (c.more && d.entities.size() == c.kept) c.more(d);
  }
}

// Files that are no ASCII group sequence are refused with the line; a byte
// order mark and blanks around the codes of old writers are read.
TEST(DxfReader, FileLevelFaultsAndTolerances) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* error;  // null: read, with one line entity
  };
  const Case cases[] = {
      {"code not a number", "0\nSECTION\nabc\nENTITIES\n", "line 3: group code is not a whole number"},
      {"value missing at the end", "0\nSECTION\n2\n", "line 3: group code without a value"},
      {"binary DXF", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), "line 1: a binary DXF (save the drawing as ASCII DXF)"},
      {"byte order mark and CR LF", "\xEF\xBB\xBF  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n 11\r\n4.\r\n  0\r\nENDSEC\r\n", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dxf::Drawing d;
    std::string error;
    const bool read = dxf::ReadDxf(c.bytes, d, error);
    if (c.error) {
      EXPECT_FALSE(read);
      EXPECT_EQ(error, c.error);
    } else {
      ASSERT_TRUE(read) << error;
      ASSERT_EQ(d.entities.size(), 1u);
      EXPECT_EQ(d.entities[0].b.x, 4);
    }
  }
}

}  // namespace
