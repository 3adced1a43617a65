// 図面から読込: the hole definition dialog's import of the job's hole groups
// from a DXF drawing. The drawing is chosen, the groups proposed
// (drawing_import_job.h), then a dialog shows them over a preview of the
// drawing (Drillview's scene, each group in its colour) in a table where the
// operator changes a group's kind or leaves it out, and saves.
#pragma once

#include <memory>

#include "Drilling/app/context.h"
#include "Drilling/holes/drawing_import_job.h"
#include "common/dialog_template.h"
#include "common/form.h"
#include "Drillview/scene.h"

namespace drilling {

enum ImportControl : int {
  kImportFileLabel = 1600,
  kImportLayersEdit = 1601,    // layer names separated by commas; empty: every layer
  kImportCornerXEdit = 1602,   // the stock's lower-left corner in the drawing; empty: the outline's
  kImportCornerYEdit = 1603,
  kImportReloadButton = 1604,  // the drawing read again with the layers and corner typed
  kImportSummaryLabel = 1605,
  kImportNotesList = 1606,     // notes and what would not fit
  kImportKeep1Check = 1611,    // row i: 1611 + i, checked when the group is taken
  kImportKind1Combo = 1621,    // row i: the group's kind
  kImportSize1Label = 1631,    // row i: diameter and number of holes
  kImportPreview = 1640,
};
constexpr int kImportRows = 8;

enum ImportCommand : int {
  kImportCmdSave = 40070,
  kImportCmdCancel = 40071,
};

// What the window's painter of the preview is registered under.
constexpr const char* kDrawingPreviewPicture = "drawing-preview";

const common::DialogTemplate& ImportDialogTemplate();

// The drawing being imported and the operator's choices.
struct ImportDialogState {
  std::filesystem::path file;
  ImportOptions options;
  ImportProposal proposal;
};

// The dialog procedure; it ends with 1 after a save, 0 when cancelled.
common::DialogProc ImportDialogProc(Context& ctx, std::shared_ptr<ImportDialogState> state);

// The preview: the drawing, and every proposed hole as a mark of its
// group's colour (a group left out grey), with a legend line per group.
drillview::Scene ImportPreviewScene(const ImportProposal& proposal);

// The hole definition dialog's command: the file chosen (kind "DXFFILE"),
// the proposal, the import dialog; after a save the dialog shows its group
// as saved. kDone after a save; kFailed otherwise.
int ImportFromDrawing(Context& ctx, common::Form& holeDialog);

}  // namespace drilling
