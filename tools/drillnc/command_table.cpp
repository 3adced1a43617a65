#include "tools/drillnc/command_table.h"

namespace drillnc {

// cmd_job.cpp: job definition file and hole groups.
int RunNew(Session& session, const std::vector<std::string>& args);
int RunHole(Session& session, const std::vector<std::string>& args);
int RunShow(Session& session, const std::vector<std::string>& args);
// cmd_patterns.cpp: hole positions from the calculators.
int RunCircle(Session& session, const std::vector<std::string>& args);
int RunGrid(Session& session, const std::vector<std::string>& args);
// cmd_nc.cpp: NC program and TRYCUT package.
int RunNc(Session& session, const std::vector<std::string>& args);
int RunTrycut(Session& session, const std::vector<std::string>& args);
// cmd_dxf.cpp: DXF hole drawing.
int RunDxf(Session& session, const std::vector<std::string>& args);
// cmd_tools.cpp: magazine tool list.
int RunTools(Session& session, const std::vector<std::string>& args);
// cmd_transfer.cpp: sending the NC program, initial settings.
int RunSend(Session& session, const std::vector<std::string>& args);
int RunSettings(Session& session, const std::vector<std::string>& args);
// cmd_check.cpp: an NC program checked before it goes to the machine.
int RunCheck(Session& session, const std::vector<std::string>& args);
// cmd_order.cpp: a short visiting order of the hole positions.
int RunOrder(Session& session, const std::vector<std::string>& args);
// cmd_import.cpp: hole groups from a DXF drawing.
int RunImport(Session& session, const std::vector<std::string>& args);
// cmd_process.cpp: process list.
int RunPlan(Session& session, const std::vector<std::string>& args);
int RunProcesses(Session& session, const std::vector<std::string>& args);
int RunProcess(Session& session, const std::vector<std::string>& args);

namespace {

const Command kCommands[] = {
    {"new", RunNew,
     "[--title T] [--material M] [--stock X,Y,Z] [--origin ll|ul|lr|ur|c] [--controller C] [--coord W] "
     "[--program N]",
     "start a new job file in DB and save its main data; prints the job file path last"},
    {"hole", RunHole,
     "JOB GROUP [--type T] [--diameter D] [--depth Z] [--chamfer C] [--pilot-diameter D] [--pilot-depth Z] "
     "[--cbore-diameter D] [--cbore-depth Z] [--at X,Y]...",
     "change hole group GROUP (1-4) of a job; --at replaces the positions"},
    {"show", RunShow, "JOB", "print the main data and the four hole groups of a job"},
    {"circle", RunCircle, "JOB GROUP --diameter D --centre X,Y [--start-angle A] --count N",
     "add N holes at equal angles on a circle (degrees, counter-clockwise from +X) after the group's positions"},
    {"grid", RunGrid, "JOB GROUP --base X,Y --step DX,DY --copies NX,NY",
     "add the base point and its copies in X and Y steps, column by column, after the group's positions"},
    {"import", RunImport,
     "JOB DRAWING [--layer NAME]... [--corner X,Y] [--kind SIZE=KIND]... [--depth SIZE=Z]... [--yes]",
     "replace the job's hole groups with the holes of a DXF drawing (circles, tap and counterbore pairs); "
     "with --yes saves what fits a job when not everything does"},
    {"order", RunOrder, "JOB [GROUP]",
     "put the positions of each hole group (or of GROUP) in a short visiting order from the NC start position; "
     "prints the rapid path and the estimated run time before and after"},
    {"plan", RunPlan, "JOB",
     "generate the job's processes from the tables and the tool table and save them; prints the list"},
    {"processes", RunProcesses, "JOB", "print the saved process list of a job"},
    {"process", RunProcess,
     "JOB ROW [--tool N] [--diameter D] [--t T] [--h H] [--d D] [--s S] [--f F] [--g G] [--r R] [--z Z] [--q Q] "
     "[--offset O] [--group G] | JOB --initialise",
     "change the cells of process ROW (an empty value empties a cell) and save the list, or initialise it"},
    {"nc", RunNc, "JOB [--no-sim]",
     "write the job's NC program into ncdata (and its TRYCUT package when configured); prints the NC file path last"},
    {"trycut", RunTrycut, "JOB [--no-sim]", "rebuild the TRYCUT package of the job's NC program and start it"},
    {"dxf", RunDxf, "JOB [--no-view]",
     "write the job's DXF drawing into DXF and open it in the DXF viewer; prints the drawing path last"},
    {"tools", RunTools, "list | set T --name N [--diameter D] [--h H] [--d D] | delete T",
     "list the magazine pockets of the tool table, fill pocket T (1-98) or free it"},
    {"send", RunSend, "JOB", "send the job's NC program to the machine by the configured transfer method"},
    {"settings", RunSettings,
     "[--editor P] [--trycut P] [--nc-viewer P] [--dxf-viewer P] [--tool-table P] [--protocol M] "
     "[--destination D] [--ftp-user U] [--ftp-password-stdin]",
     "print the initial settings (password as ***), or change and save them; the FTP password is read "
     "from standard input"},
    {"check", RunCheck, "PROGRAM [--job JOB] [--rapid MM_PER_MIN] [--calculator-input]",
     "read an NC program as the machine would: tool blocks, holes, run time, findings; exit 0 clean, 1 findings, "
     "2 unreadable; --calculator-input reads numbers without a point as mm, not 0.001 mm"},
};

}  // namespace

std::span<const Command> Commands() { return kCommands; }

const Command* FindCommand(std::string_view name) {
  for (const Command& c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

}  // namespace drillnc
