// The job definition file: one INI-style file per job (code page 932, CR LF)
// with the main data in section "Drilling" and the hole groups in "Hole1" ..
// "Hole4"; the process sections are added by the process list. Every
// operation opens, changes and closes the file through the profile
// functions, so the file on disk is always the current state.
//
// The main-form operations take the main window's form; LoadHoleGroup and
// SaveHoleGroup take the hole definition dialog's form (its controls are in
// Drilling/job/hole_controls.h).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Drilling/app/context.h"
#include "common/clock.h"
#include "common/file_keys.h"
#include "common/form.h"
#include "common/profile.h"

namespace drilling {

// The keys of a job file (common/file_keys.h), under the name the parts use.
namespace jobkey = filekeys::job;

// Messages of the job file.
constexpr const char* kNoJobFileText = "定義ファイルがありません。";
constexpr const char* kNoJobSetText = "エラー：定義ファイルが設定されてません。";
constexpr const char* kOpenCancelledText = "定義ファイルの読込みを中止します。";
constexpr const char* kAskNewJobText = "新しい定義ファイルを設定しますすか？";
constexpr const char* kSkeletonOpenErrorText = "定義ファイルオープンエラー";

// Number of hole groups of a job.
constexpr int kHoleGroups = jobkey::kHoleGroups;

// 1 when a file exists at the current job path, else 0.
int JobFileExists(const Context& ctx);

// The value of `key` in `section` of the current job file, read with `room`
// (bytes with the terminating NUL); empty when absent.
std::string ReadJobKey(const Context& ctx, std::string_view section, std::string_view key, std::size_t room);
// A key of section Drilling, read with its room.
std::string ReadJobKey(const Context& ctx, const filekeys::Key& key);
// A key of the numbered section `number` (Hole<number>, PROCESS<number>),
// read with its room.
std::string ReadJobKey(const Context& ctx, const filekeys::Key& key, int number);

// Lets the operator choose a job file (file dialog "CAMFILE", each file
// shown with its title, material and date) and reads it into the main form.
// A cancelled dialog, or a file that is no job file, leaves the job that was
// open as it was. Declared with the main window's command table.
int OpenJobFile(Context& ctx, common::Form& main);

// What the open dialog shows beside a job file's name: "title / material"
// of its section "Drilling" ("-" for a missing value); empty for a file that
// is no job file.
std::string JobFileSummary(const std::filesystem::path& file);

// Copies section "Drilling" and the four hole types into the main form.
// The ReportMessage result when no job is open, else 0.
int ReadJobFile(Context& ctx, common::Form& main);

// The title of a new job: "%d-%02d%02d-%02d%02d%02d" of the local time
// (2021-0509-142305).
std::string TimeBasedTitle(const common::LocalTime& t);

// A new job file named after the local time: the title field gets
// "2021-0509-142305", then SetNewJobPath and WriteJobSkeleton. 0, or the
// result of WriteJobSkeleton.
int NewJobFile(Context& ctx, common::Form& main);

// Current job path = DB/<title>.ini of the title field. 0 (also for an empty
// title, which changes nothing); -1 when the operator declines to replace the
// open job, or when the title cannot be a file name (reported).
int SetNewJobPath(Context& ctx, common::Form& main);

// Writes the skeleton of a new job file from the main form. 0 (also when the
// operator declines to overwrite an existing file), or the ReportMessage
// result when the file cannot be written; -1 (reported, nothing written) when
// a field fails the checks of a save.
int WriteJobSkeleton(Context& ctx, common::Form& main);

// The skeleton text (UTF-8, "\n" line ends) for the given main form.
std::string JobSkeletonText(const common::Form& main);

// Writes the main form into section "Drilling" (empty fields leave the stored
// value), with the NC file name. 0 when saved; a negative result when no job
// is open, a field is refused (a line break or NUL, too long for its room, a
// number field that is not a number, a program number that is not digits;
// nothing is written then), or a write failed (each reported).
int SaveJobMainFields(Context& ctx, common::Form& main);

// Called at the end of LoadHoleGroup so the hole definition dialog can update
// which of its fields apply to the hole type.
using HoleTypeUpdate = std::function<void(Context& ctx, common::Form& dialog)>;

// Copies the current hole group from the file into the dialog: fields whose
// stored value is empty keep their text; positions up to the first absent X
// or Y. Then `update`. The ReportMessage result when no job is open, else 0.
int LoadHoleGroup(Context& ctx, common::Form& dialog, const HoleTypeUpdate& update = {});

// Writes the dialog into the current hole group: the eight size keys (an
// empty field leaves the stored value, sizes as typed), then the positions
// in number text with the point kept; stored positions beyond them are
// removed. Checked before anything is written: a size or a position that is
// not a number, a row with only X or only Y, or an empty row before a filled
// one refuses the save with the error naming the field or the row. 0 when
// saved; negative when no job is open, a check failed or a write failed
// (reported).
int SaveHoleGroup(Context& ctx, common::Form& dialog);

// Checks the position rows of the hole definition dialog as a save does:
// they run without a gap from row 1, each row with a number for X and for Y
// whose number text fits the field. The texts to store (number text, point
// kept) go into `positions` (X, Y of rows 1..n). 0, or -1 after the error
// naming the row.
int CheckHolePositions(Context& ctx, common::Form& dialog, std::vector<std::pair<std::string, std::string>>& positions);

// The hole definition dialog's control of a size key of a hole group
// ("下穴径" gives 1104); 0 for another key.
int HoleFieldControl(std::string_view key);

// Writes `changes` to the current job file in one write, holding the job's
// lock; a failure is reported (kind -1) and gives false.
bool WriteJobChanges(Context& ctx, common::Form* owner, const std::vector<common::ProfileSectionChange>& changes);

// The changes that make section Hole<group> hold exactly what the hole
// definition dialog holds, for the import of groups from a drawing (one
// write of every group): each size key written, an empty field as an empty
// value; every stored position (X1 .. X98) removed and the rows written.
// Checked as a save checks. 0, or -1 after the error naming the field or row.
int HoleGroupReplacement(Context& ctx, common::Form& dialog, int group,
                         std::vector<common::ProfileSectionChange>& changes);

// Copies the four hole types into the main form's labels 1031-1034. Nothing
// when no job is open. 0.
int RefreshHoleTypes(Context& ctx, common::Form& main);

// The NC file extension of a controller: the first of MAZATROL, MELDAS,
// FANUC, OSP contained in the name (case-sensitive) selects the key of that
// name in section NCFILE of Drilling.ini (up to 7 characters, leading points
// dropped). Returns the length written into `extension`; 0 when there is
// none, and `extension` untouched when no family name is contained.
int NcFileExtension(const Context& ctx, std::string_view controller, std::string& extension);

// Year, month, day, hour, minute and second of the local clock (the
// context's clock).
common::LocalTime GetLocalTimeParts(const Context& ctx);

// True when `title` can name a file in the job or drawing folder: not empty
// after trimming blanks, no path separator or other character the file
// systems refuse (/ \ : * ? " < > | and control characters), not "." or ".."
// or made of points only, no trailing point or blank (Windows drops them
// and would name another file), not a device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9). Characters are tested, not bytes: the second byte of a
// double-byte character may be 0x5C in code page 932 without being a
// separator.
bool IsSafeFileTitle(std::string_view title);

// 0 for a safe title; otherwise reports the refusal (kind -1) and returns -1.
// For every place that forms a file name from the title (the new job's path,
// the drawing's path).
int CheckFileTitle(Context& ctx, common::Form* owner, std::string_view title);

// True when `path` can be a job definition file: a regular file, not larger
// than a job file can be, with a section "Drilling". Otherwise false with
// `why` (optional) set to the reason in Japanese.
bool LooksLikeJobFile(const std::filesystem::path& path, std::string* why = nullptr);

// 0 when LooksLikeJobFile; otherwise reports "エラー：<path> は定義ファイルでは
// ありません（<why>）。" (kind -1) and returns -1. Opening a job (the open
// dialog, a job named on the command line) checks it before anything reads
// or writes the file.
int CheckJobDefinitionFile(Context& ctx, common::Form* owner, const std::filesystem::path& path);

}  // namespace drilling
