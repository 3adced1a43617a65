// The keys of the files the drilling programs read and write, each described
// once: its section, its name and its room, the bytes its value is read and
// written with, the terminating NUL included (room - 1 bytes of code page
// 932; a read cuts a longer value there, a save refuses it). Every reader and
// writer of a key takes it from here: the job file, the dialogs, process
// planning, the NC writer and the creation driver, the TRYCUT package, the
// DXF drawing, the transfer, the launching of outside programs, drillnc,
// the program check's job facts and the tool table.
//
// Where a part reads a key with another room on purpose, that reading is a
// key of its own here (same section and name), named after its reader, with
// the reason.
//
// Numbered sections (Hole1 .. Hole4, PROCESS1 .. PROCESS15) and numbered keys
// (X1 .. X20, WorkType0 .. WorkType98, LINE0 .. LINE99) are given by their
// prefix; Numbered() forms the name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace filekeys {

struct Key {
  const char* section;
  const char* name;
  std::size_t room;
};

// "Hole" and 2 give "Hole2"; "X" and 12 give "X12".
inline std::string Numbered(std::string_view prefix, int number) {
  return std::string(prefix) + std::to_string(number);
}

// A room that takes any stored value whole (a profile line is far shorter):
// for reads that check the width themselves and refuse a value that does
// not fit, instead of reading it cut.
inline constexpr std::size_t kWholeValueRoom = 1u << 16;

// The job definition file (DB/<title>.ini, or any job file opened).
namespace job {

// Section Drilling: the main data.
inline constexpr const char* kMainSection = "Drilling";
inline constexpr Key kTitle{kMainSection, "title", 64};
inline constexpr Key kController{kMainSection, "制御装置", 32};
inline constexpr Key kCoordSystem{kMainSection, "座標系", 8};
// The condition tables are named with the material's 7 bytes.
inline constexpr Key kMaterial{kMainSection, "材質", 8};
inline constexpr Key kStockX{kMainSection, "材料X", 16};
inline constexpr Key kStockY{kMainSection, "材料Y", 16};
inline constexpr Key kStockZ{kMainSection, "材料Z", 16};
inline constexpr Key kOriginX{kMainSection, "原点X", 16};
inline constexpr Key kOriginY{kMainSection, "原点Y", 16};
inline constexpr Key kOriginZ{kMainSection, "原点Z", 16};
inline constexpr Key kProgramNumber{kMainSection, "Ｏ番号", 8};
// The program check reads it with the room of a number (15 bytes), to
// compare a hand-edited one with the program's O word.
inline constexpr Key kProgramNumberForCheck{kMainSection, "Ｏ番号", 16};
// The NC program's file name in the NC folder: the launching of the editor
// and the viewer, the TRYCUT package, the transfer, NC creation after the
// writer, drillnc and the program check read it with 31 bytes.
inline constexpr Key kNcFile{kMainSection, "NcFile", 32};
// What a save forms: "O", at most 7 digits, ".", at most 7 of extension
// (drillnc show prints it so).
inline constexpr Key kNcFileAsFormed{kMainSection, "NcFile", 17};
// The NC writer takes a hand-edited name up to 63 bytes.
inline constexpr Key kNcFileForWriter{kMainSection, "NcFile", 64};
// The creation driver's first look, before the writer: a path's room; it
// only asks whether a name is there.
inline constexpr Key kNcFileFirstLook{kMainSection, "NcFile", 520};
// The drawing is named after the title with up to 127 bytes.
inline constexpr Key kTitleForDrawing{kMainSection, "title", 128};
// The process list's print heading shows up to 31 bytes of the title.
inline constexpr Key kTitleForProcessList{kMainSection, "title", 32};

// Sections Hole1 .. Hole4: the hole groups.
inline constexpr const char* kHoleSection = "Hole";
inline constexpr int kHoleGroups = 4;
inline std::string HoleSection(int group) { return Numbered(kHoleSection, group); }
inline constexpr Key kHoleType{kHoleSection, "種類", 32};
inline constexpr Key kHoleDiameter{kHoleSection, "穴径", 16};
inline constexpr Key kHoleDepth{kHoleSection, "深さ", 16};
inline constexpr Key kChamferDepth{kHoleSection, "面取深", 16};
inline constexpr Key kPilotDiameter{kHoleSection, "下穴径", 16};
inline constexpr Key kPilotDepth{kHoleSection, "下穴深", 16};
inline constexpr Key kCboreDiameter{kHoleSection, "座穴径", 16};
inline constexpr Key kCboreDepth{kHoleSection, "座深さ", 16};
// Positions X1/Y1 .. X20/Y20 (the writer reads on up to X98, the drawing up
// to X99, each to the first absent one).
inline constexpr Key kPositionX{kHoleSection, "X", 16};
inline constexpr Key kPositionY{kHoleSection, "Y", 16};
// The positions the NC writer reads (X1 .. X98): a save that replaces a
// group's positions removes them all, so none of an earlier list stays.
inline constexpr int kPositionsRead = 98;
// The process list only asks whether a group has a first position: it reads
// X1 and Y1 with 1 byte (a value that starts with a double-byte character
// reads as absent there).
inline constexpr std::size_t kPositionPresenceRoom = 2;
// "X12" for axis 'X' and row 12.
inline std::string PositionKey(char axis, int row) {
  return Numbered(axis == 'X' ? kPositionX.name : kPositionY.name, row);
}

// Sections PROCESS1 .. PROCESS15: the process list, one row each, in the
// order a save writes the keys.
inline constexpr const char* kProcessSection = "PROCESS";
inline std::string ProcessSection(int n) { return Numbered(kProcessSection, n); }
inline constexpr Key kToolName{kProcessSection, "TOOLNAME", 32};
inline constexpr Key kToolDiameter{kProcessSection, "TOOLDIAM", 16};
inline constexpr Key kToolT{kProcessSection, "TOOLT", 8};
inline constexpr Key kToolH{kProcessSection, "TOOLH", 8};
inline constexpr Key kToolD{kProcessSection, "TOOLD", 8};
inline constexpr Key kSpindle{kProcessSection, "SPINDL", 8};
inline constexpr Key kFeedRate{kProcessSection, "FEEDRATE", 8};
inline constexpr Key kGCode{kProcessSection, "GCODE", 8};
inline constexpr Key kRCode{kProcessSection, "RCODE", 16};
inline constexpr Key kZCode{kProcessSection, "ZCODE", 16};
inline constexpr Key kQCode{kProcessSection, "QCODE", 8};
inline constexpr Key kOffset{kProcessSection, "OFFSET", 8};
inline constexpr Key kGroup{kProcessSection, "GROUP", 8};
// The NC writer's tool comment and the TRYCUT control file write the
// diameter as stored, with 7 bytes.
inline constexpr Key kToolDiameterAsWord{kProcessSection, "TOOLDIAM", 8};
// The NC writer and the TRYCUT tool file read T, H and Q with the room of a
// number (15 bytes), more than the process list writes.
inline constexpr Key kToolTNumber{kProcessSection, "TOOLT", 16};
inline constexpr Key kToolHNumber{kProcessSection, "TOOLH", 16};
inline constexpr Key kQCodeNumber{kProcessSection, "QCODE", 16};

}  // namespace job

// Drilling.ini, the configuration in the program folder.
namespace config {

inline constexpr const char* kFileName = "Drilling.ini";

inline constexpr Key kDebugWindow{"Drilling", "DebugWindow", 0};  // integer
inline constexpr Key kToolTable{"Drilling", "ToolTable", 64};
inline constexpr Key kHelpFile{"Drilling", "HelpFile", 129};
inline constexpr Key kWindowX{"WINDOW", "X", 8};
inline constexpr Key kWindowY{"WINDOW", "Y", 8};
inline constexpr Key kWindowColour{"COLOR", "WINDOW1", 16};
inline constexpr Key kTextColour{"COLOR", "TEXT1", 16};
// Presets of the main form's lists.
inline constexpr Key kStartMaterial{"UserStartup", "WorkType", 8};
inline constexpr Key kStartController{"UserStartup", "Machine", 32};
inline constexpr Key kStartCoordSystem{"UserStartup", "CoordSystem", 8};
// The lists: WorkType0 .. WorkType98 in section WorkType, and so on.
inline constexpr Key kMaterialList{"WorkType", "WorkType", 16};
inline constexpr Key kControllerList{"Machine", "Machine", 64};
inline constexpr Key kCoordSystemList{"CoordSystem", "CoordSystem", 16};
inline constexpr Key kHoleTypeList{"HoleType", "HoleType", 32};
inline constexpr int kLastListEntry = 98;
inline constexpr Key kOriginCorner{"work", "原点", 0};  // integer 0-4
inline constexpr Key kJobFileExtension{"FILES", "CAMFILE", 16};
inline constexpr Key kNcFileExtension{"FILES", "NCFILE", 16};
// NC file extensions by controller family: the family name is the key.
inline constexpr const char* kNcExtensionSection = "NCFILE";
inline constexpr std::size_t kNcExtensionRoom = 8;
// Outside programs. The editor's and the NC viewer's paths are read with
// 511 bytes when they are started; the settings dialog reads and writes
// every path with the path room.
inline constexpr std::size_t kPathRoom = 520;
inline constexpr Key kEditor{"EDITOR", "FILE", 512};
inline constexpr Key kNcViewer{"NcViewer", "FILE", 512};
inline constexpr Key kDxfViewer{"DxfViewer", "FILE", kPathRoom};
inline constexpr Key kTrycut{"TRYCUT", "FILE", kPathRoom};
inline constexpr Key kTrycutMode{"TRYCUT", "PAR", 8};
// The transfer. The destination of a method is the key named after the
// method (DNC, FTP, NETWORK, USB), read and written with the path room.
inline constexpr const char* kTransferSection = "NcFileTransfer";
inline constexpr Key kTransferMethod{kTransferSection, "PROTOCOL", 12};
inline constexpr std::size_t kTransferDestinationRoom = kPathRoom;
inline constexpr Key kFtpUser{kTransferSection, "FTPUSER", 32};
inline constexpr Key kFtpPassword{kTransferSection, "FTPPASS", 32};
inline constexpr Key kFtpKeepsName{kTransferSection, "FTPEXTENTION", 0};  // integer
// The NC program's format.
inline constexpr Key kToolComments{"NCFORMAT", "ToolInfomation", 0};     // integer
inline constexpr Key kControllerComment{"NCFORMAT", "ControlDevice", 0};  // integer
inline constexpr Key kToolChange{"NCFORMAT", "ToolChange", 8};
inline constexpr Key kMcReference{"NCFORMAT", "McReference", 8};
inline constexpr Key kStartX{"NCFORMAT", "StartX", 16};
inline constexpr Key kStartY{"NCFORMAT", "StartY", 16};
inline constexpr Key kStartZ{"NCFORMAT", "StartZ", 16};
// TRYCUT takes the start position with 7 bytes (its start line's words).
inline constexpr std::size_t kTrycutStartRoom = 8;
inline constexpr Key kProgramEnd{"NCFORMAT", "ProgramEnd", 16};
// The dwell word of a cycle that always dwells, in the section named after
// the cycle: [G82] pcode.
inline constexpr Key kDwellWord{"G", "pcode", 8};
// Extra lines: LINE0 .. LINE99 of StartLine and EndLine.
inline constexpr Key kStartLines{"StartLine", "LINE", 80};
inline constexpr Key kEndLines{"EndLine", "LINE", 80};
inline constexpr int kFixedLineCount = 100;
// Tool names: TOOLJP<i> as the processes store them, TOOLEN<i> the name the
// NC program's tool comment gives.
inline constexpr Key kToolNameList{"TOOLLIST", "TOOLJP", 32};
inline constexpr Key kToolEnglishList{"TOOLLIST", "TOOLEN", 32};
// Read whole: a hand-edited diameter cut to a width is another diameter.
inline constexpr Key kCentreDrillDiameter{"HOLE", "CDRILLDIAM", kWholeValueRoom};
// The G code and the R level of each process kind: the kind's cycle key
// (cdrill, drill, mentori, mtap, zaguri, reamer) is the key.
inline constexpr const char* kCycleSection = "Cycle";
inline constexpr const char* kRLevelSection = "Rcode";
inline constexpr std::size_t kCycleRoom = 8;

}  // namespace config

// The tool table, the file Drilling/ToolTable of Drilling.ini names: one
// section MAGAZINE<n> per pocket of the magazine (n is the tool number T).
namespace tooltable {

inline constexpr const char* kPocketSection = "MAGAZINE";
inline std::string PocketSection(int pocket) { return Numbered(kPocketSection, pocket); }
inline constexpr Key kName{kPocketSection, "NAME", 32};
inline constexpr Key kDiameter{kPocketSection, "DIAM", 8};
// The look-up and the list read the diameter whole: a hand-edited 12.34567
// cut to 7 bytes would be another diameter.
inline constexpr Key kDiameterWhole{kPocketSection, "DIAM", kWholeValueRoom};
// T, H and D as typed, 3 digits. T is never read back (the pocket number is
// the tool number); H and D are read with the room of a number.
inline constexpr Key kToolNumber{kPocketSection, "T", 4};
inline constexpr Key kLengthOffset{kPocketSection, "H", 4};
inline constexpr Key kRadiusOffset{kPocketSection, "D", 4};
inline constexpr Key kLengthOffsetNumber{kPocketSection, "H", 16};
inline constexpr Key kRadiusOffsetNumber{kPocketSection, "D", 16};

}  // namespace tooltable

// Relaypane.ini, the message window's configuration beside Drilling.ini.
// The drilling program finds the window by the class and window name
// Relaypane registers under, so both read them here.
namespace relaypane {

inline constexpr const char* kFileName = "Relaypane.ini";
inline constexpr Key kClassName{"Relaypane", "ClassName", 32};
inline constexpr Key kWindowName{"Relaypane", "WindowName", 64};
inline constexpr Key kIcon{"Relaypane", "icon", 64};
inline constexpr Key kTitle{"Relaypane", "title", 64};
inline constexpr Key kLogWrite{"Relaypane", "LogWrite", 0};  // integer
// Where the message window was left, fractions 0..1 of the free screen.
inline constexpr Key kWindowX{"WINDOW", "WINX", 16};
inline constexpr Key kWindowY{"WINDOW", "WINY", 16};
// The information window's colours, "r,g,b".
inline constexpr Key kInfoWindowColour{"COLOR", "INFOWIN", 16};
inline constexpr Key kInfoTextColour{"COLOR", "INFOTXT", 16};

}  // namespace relaypane

}  // namespace filekeys
