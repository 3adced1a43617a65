// Drillview: the DXF reader on our own drawing and on entities drawn
// elsewhere, and the offscreen picture of the sample job's program against
// the stored reference.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QWheelEvent>
#include <cstdlib>

#include "Drillview/scene.h"
#include "Drillview/view_window.h"
#include "Drillview/viewer_frame.h"
#include "dxf/dxf_reader.h"
#include "gcode/gcode_reader.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using Kind = dxf::Entity::Kind;

// The sample job's drawing as the DXF writer writes it: the stock as four
// lines, one circle per hole and diameter (4 drill holes, 2 taps with their
// pilot, 2 counterbores with their seat).
TEST(DxfReader, ReadsTheDrawingOfOurWriter) {
  std::string bytes = testsupport::ReadBytes(fs::path(DRILLING_SOURCE_DIR) / "tests/companions/golden/SAMPLE-PLATE.dxf");
  dxf::Drawing drawing;
  std::string error;
  ASSERT_TRUE(dxf::ReadDxf(bytes, drawing, error)) << error;
  int lines = 0, circles = 0;
  for (const dxf::Entity& e : drawing.entities) {
    lines += e.kind == Kind::Line;
    circles += e.kind == Kind::Circle;
  }
  EXPECT_EQ(lines, 4);
  EXPECT_EQ(circles, 4 + 2 * 2 + 2 * 2);
  EXPECT_EQ(drawing.SkippedCount(), 0);
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
  dxf::Drawing drawing;
  std::string error;
  ASSERT_TRUE(dxf::ReadDxf(bytes, drawing, error)) << error;
  ASSERT_EQ(drawing.entities.size(), 3u);
  EXPECT_EQ(drawing.entities[0].vertices.size(), 4u);
  EXPECT_TRUE(drawing.entities[0].closed);
  EXPECT_EQ(drawing.entities[2].kind, Kind::Polyline);
  EXPECT_EQ(drawing.entities[2].vertices.size(), 2u);
  EXPECT_FALSE(drawing.entities[2].closed);
  EXPECT_EQ(drawing.SkippedCount(), 1);

  drillview::Scene scene = drillview::DrawingScene(drawing);
  EXPECT_NEAR(scene.topBounds.maxY, 15, 1e-6);  // the half circle over the top edge
  EXPECT_NEAR(scene.topBounds.maxX, 40, 1e-9);
  EXPECT_NEAR(scene.topBounds.minY, -5, 1e-9);
  EXPECT_EQ(scene.findings.size(), 1u);  // the TEXT not shown

  EXPECT_FALSE(dxf::ReadDxf("0\nSECTION\nabc\nENTITIES\n", drawing, error));
  EXPECT_EQ(error, "line 3: group code is not a whole number");
}

// The findings as the window lists them: one entry per kind (and tool for
// holes), in Japanese, with the count and the lines, and the holes a click
// selects. Lines: 6-9 four T23 holes, three of them too deep; 12 the G43 of
// T05 with H06, whose two holes follow; 16 and 18 rapids below R; 19 a
// refused block.
TEST(DrillviewFindings, GroupedByKindWithCountAndLines) {
  const std::string text =
      "%\nO1\nT23 M06\nG43 H23 Z50.\nS800 M03\nG81 X10. Y10. R2. Z-25. F80\nX20. Z-30.\nX30. Z-10.\nX40. Z-25.\n"
      "G80\nT05 M06\nG43 H06 Z50.\nS900 M03\nG81 X10. Y20. R2. Z-5. F80\nX20.\nG80 G00 Z-1.\nX50. Y0.\nZ-2.\n"
      "X1. X2.\nG00 Z50.\nM30\n%\n";
  gcode::JobFacts job;
  job.hasStock = true;
  job.stockXMm = 100, job.stockYMm = 50, job.stockZMm = 20;
  const gcode::Program program = gcode::ReadProgram(text);
  gcode::CheckOptions options;
  options.job = &job;
  const drillview::Scene scene = drillview::ProgramScene(program, gcode::CheckProgram(program, options), &job);
  struct Want {
    std::string text;
    std::size_t holes;
  };
  const std::vector<Want> want = {
      {"穴底が材料下面より下 (T23, 3 穴, 6, 7, 9 行)", 3},
      {"工具長補正Hが工具番号と違う (T05, 2 穴, 12 行)", 2},
      {"固定サイクル外でR点より下の早送り (3 件, 16, 17, 18 行)", 0},
      {"エラー：同じアドレスが1ブロックに2回 (19 行)", 0},
  };
  ASSERT_EQ(scene.findings.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(scene.findings[i].text, want[i].text);
    EXPECT_EQ(scene.findings[i].holes.size(), want[i].holes) << want[i].text;
  }
  EXPECT_EQ(scene.findings[0].holes, (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(scene.findings[1].holes, (std::vector<int>{4, 5}));
  EXPECT_TRUE(scene.findings[3].error);

  // A click on an entry marks its holes (or its motions) in the views.
  drillview::ViewWindow window(scene, "O1");
  window.show();
  auto* list = window.findChildren<QListWidget*>().back();  // the findings, below the legend
  ASSERT_EQ(list->count(), 4);
  auto marked = [&window] {
    const QImage picture = window.grab().toImage();
    long n = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) n += picture.pixel(x, y) == qRgb(255, 0, 160);
    return n;
  };
  EXPECT_EQ(marked(), 0);
  for (int row : {0, 1, 2}) {
    list->setCurrentRow(row);
    EXPECT_GT(marked(), 50) << row;
  }
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


// A plate of 100 x 50 with three holes, each from R3 down to Z-20.
drillview::Scene ThreeHoles() {
  drillview::Scene scene;
  scene.isProgram = true;
  scene.top = {{0, 0, 100, 0, drillview::Segment::Outline}, {100, 0, 100, 50, drillview::Segment::Outline},
               {100, 50, 0, 50, drillview::Segment::Outline}, {0, 50, 0, 0, drillview::Segment::Outline}};
  scene.side = {{0, 0, 100, 0, drillview::Segment::Outline}};
  for (double x : {20.0, 50.0, 80.0}) {
    drillview::HoleMark h;
    h.x = x, h.y = 25, h.radius = 4, h.rLevel = 3, h.bottom = -20, h.cycle = 81, h.tool = 1;
    scene.holes.push_back(h);
  }
  for (const auto& s : scene.top) scene.topBounds.Add(s.x1, s.y1), scene.topBounds.Add(s.x2, s.y2);
  scene.sideBounds.Add(0, 3);
  scene.sideBounds.Add(100, -20);
  return scene;
}

// Pixels of a hole's colour (not white, not a grey of the lines) in rows
// [top, bottom) of the picture.
long ColouredPixels(const QImage& picture, int top, int bottom) {
  long n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < picture.width(); ++x) {
      QColor c = picture.pixelColor(x, y);
      n += std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 40;
    }
  return n;
}

// Zooming or panning in one view keeps the other view's drawing in its
// area; the views keep sharing X. The canvas is 800 x 600: the top view
// takes the rows above about 408, the side view those below.
TEST(DrillviewCanvas, ZoomAndPanInOneViewKeepTheOtherInSight) {
  const drillview::Scene scene = ThreeHoles();
  struct Case {
    const char* name;
    QPoint at;    // where the wheel turns or the drag starts
    int notches;  // wheel notches (0: a drag of 120 pixels down instead)
  };
  const Case cases[] = {{"zoom in the top view", {400, 150}, 3},
                        {"zoom out in the top view", {400, 100}, -2},
                        {"zoom in the side view", {400, 500}, 3},
                        {"drag in the top view", {400, 150}, 0},
                        {"drag in the side view", {400, 500}, 0}};
  for (const Case& c : cases) {
    drillview::Canvas canvas(scene, nullptr);
    canvas.resize(800, 600);
    canvas.show();  // offscreen: a hidden widget gets no mouse events
    canvas.Fit();
    const QImage before = canvas.grab().toImage();
    ASSERT_GT(ColouredPixels(before, 0, 400), 100) << c.name;
    ASSERT_GT(ColouredPixels(before, 420, 600), 100) << c.name;
    if (c.notches != 0) {
      QWheelEvent wheel(QPointF(c.at), QPointF(c.at), QPoint(), QPoint(0, 120 * c.notches), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(&canvas, &wheel);
    } else {
      const QPoint to = c.at + QPoint(0, 120);
      QMouseEvent press(QEvent::MouseButtonPress, QPointF(c.at), QPointF(c.at), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
      QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
      QMouseEvent release(QEvent::MouseButtonRelease, QPointF(to), QPointF(to), Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
      QApplication::sendEvent(&canvas, &press);
      QApplication::sendEvent(&canvas, &move);
      QApplication::sendEvent(&canvas, &release);
    }
    const QImage after = canvas.grab().toImage();
    const bool inSide = c.at.y() > 420;
    // The view not pointed at still shows its holes.
    EXPECT_GT(inSide ? ColouredPixels(after, 0, 400) : ColouredPixels(after, 420, 600), 100) << c.name;
    EXPECT_NE(after, before) << c.name;  // the event was taken
    if (c.notches == 0) {
      // A drag moves the other view only sideways: as many of its pixels
      // keep the hole colour.
      const int rows[2] = {inSide ? 0 : 420, inSide ? 400 : 600};
      EXPECT_EQ(ColouredPixels(after, rows[0], rows[1]), ColouredPixels(before, rows[0], rows[1])) << c.name;
    }
  }
}

// The viewer window: sized to the screen, a menu of file and view commands
// with the usual shortcuts, and three keys that close it.
TEST(DrillviewWindow, SizedToTheScreenWithMenuAndShortcuts) {
  testsupport::TempFolder folder;
  drillview::ViewerFrame frame(ThreeHoles(), "three.nc", folder.Path());
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  const QRect area = frame.screen()->availableGeometry();
  EXPECT_TRUE(area.contains(frame.frameGeometry()));
  EXPECT_GT(frame.width(), area.width() / 2);
  EXPECT_GT(frame.height(), area.height() / 2);

  QStringList menus;
  for (QAction* a : frame.menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"ファイル(&F)", "表示(&V)"}));
  const struct {
    const char* command;
    QKeySequence key;
  } commands[] = {{"開く", QKeySequence("Ctrl+O")},  {"PNG保存", QKeySequence("Ctrl+S")},
                  {"閉じる", QKeySequence("Ctrl+W")}, {"全体表示", QKeySequence("Ctrl+0")},
                  {"拡大", QKeySequence("Ctrl++")},   {"縮小", QKeySequence("Ctrl+-")}};
  for (const auto& c : commands) {
    QAction* a = frame.Command(QString::fromUtf8(c.command));
    ASSERT_NE(a, nullptr) << c.command;
    EXPECT_TRUE(a->shortcuts().contains(c.key)) << c.command;
  }

  // Zoom in changes the picture, fit brings it back.
  drillview::Canvas* canvas = frame.View()->View();
  const QImage fitted = canvas->grab().toImage();
  frame.Command("拡大")->trigger();
  EXPECT_NE(canvas->grab().toImage(), fitted);
  frame.Command("全体表示")->trigger();
  EXPECT_EQ(canvas->grab().toImage(), fitted);

  // PNG保存 writes the view; 開く of a file that cannot be read keeps it.
  const fs::path png = folder / "view.png";
  frame.Choices().pngToWrite = [&](QWidget*) { return QString::fromStdString((folder / "view").string()); };
  QStringList errors;
  frame.Choices().showError = [&](QWidget*, const QString& text) { errors << text; };
  frame.Command("PNG保存")->trigger();
  EXPECT_EQ(QImage(QString::fromStdString(png.string())).size(), frame.View()->size() * frame.devicePixelRatio());
  frame.Choices().fileToOpen = [&](QWidget*) { return QString::fromStdString((folder / "none.nc").string()); };
  drillview::ViewWindow* before = frame.View();
  frame.Command("開く")->trigger();
  EXPECT_EQ(errors.size(), 1);
  EXPECT_EQ(frame.View(), before);

  for (QKeySequence key : {QKeySequence(Qt::Key_Escape), QKeySequence("Ctrl+W"), QKeySequence("Ctrl+Q")}) {
    drillview::ViewerFrame window(ThreeHoles(), "three.nc", folder.Path());
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keySequence(&window, key);
    EXPECT_FALSE(window.isVisible()) << key.toString().toStdString();
  }
}

}  // namespace
