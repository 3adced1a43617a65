// Hole groups of the current job from a DXF drawing: the drawing read with
// its blocks placed; its circles (of the chosen layers) grouped by kind and
// size (drawing_import.h); placed through the outline, or the corner given,
// and the job's work origin; each group's sizes filled as the hole
// definition dialog fills them for its type and diameter, and its positions
// put in a short visiting order; the four hole groups replaced in one write.
// drillnc import and the window's 図面から読込 run the same two steps.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Drilling/app/context.h"
#include "Drilling/holes/drawing_import.h"
#include "common/form.h"
#include "dxf/dxf_reader.h"

namespace drilling {

struct ImportOptions {
  std::vector<std::string> layers;        // circles of these layers only; empty: every layer
  std::optional<PlanePoint> cornerMm;     // the stock's lower-left corner in the drawing
  std::vector<KindChoice> kinds;          // --kind SIZE=KIND
  std::vector<std::pair<double, double>> depthsMm;  // --depth SIZE=Z: hole diameter, depth
};

struct ImportProposal {
  std::filesystem::path file;
  dxf::Drawing drawing;                   // for the preview
  double stockXMm = 0, stockYMm = 0, stockZMm = 0;
  PlanePoint originMm;                    // the work origin from the stock's lower-left corner
  PlanePoint cornerMm;                    // the stock's lower-left corner in the drawing
  std::optional<OutlineBox> outline;      // when the corner came from it
  std::size_t circles = 0;                // circles of the chosen layers
  std::vector<ProposedGroup> groups;      // positions in job coordinates
  std::vector<std::string> notes;         // what the operator should know (Japanese)
};

// The circles (diameters) of the chosen layers (all when `layers` is empty)
// and every straight edge of a read drawing; what is left out is a note.
void Collect(const dxf::Drawing& drawing, const std::vector<std::string>& layers, std::vector<DrawnCircle>& circles,
             std::vector<DrawnSegment>& segments, std::vector<std::string>& notes);

// Reads the drawing and proposes the groups. kDone, or kFailed after the
// error (kind -1): no job open, its stock or origin not numbers, a drawing
// that cannot be read, no outline and no corner, no circle.
int ProposeImport(Context& ctx, common::Form* owner, const std::filesystem::path& file, const ImportOptions& options,
                  ImportProposal& proposal);

// Drawing coordinates of a job position of the proposal (for the preview).
PlanePoint InDrawing(const ImportProposal& proposal, const PlanePoint& jobMm);

// The lines that tell what the save would leave out (FitToJob), empty when
// everything fits.
std::vector<std::string> LeftOutLines(const ImportProposal& proposal);

// Replaces the job's four hole groups with the kept groups of the proposal
// that fit (up to four, twenty positions each; a group with a depth in
// `depthsMm` takes it, one without a depth after the fill goes through the
// stock: thickness plus the drill point, 0.3 x D, negative, said in a line).
// When something does not fit it is listed and, unless `saveWhatFits`,
// nothing is saved. One write; kDone, or kFailed after the error.
int SaveImport(Context& ctx, common::Form* owner, const ImportProposal& proposal,
               const std::vector<std::pair<double, double>>& depthsMm, bool saveWhatFits);

}  // namespace drilling
