// The order in which the NC program visits the positions of a hole group.
// A process of one group starts at the start position (NCFORMAT StartX and
// StartY, the work origin unless configured), rapids to the positions in row
// order and goes back to the start for the next process: a closed path. A
// process over all groups (the centre drill) goes from the start through
// group 1, 2, 3, 4 in turn and back: it enters a group from the last
// position of the group before it and leaves for the first of the next. The
// order of a group is short when the rapids of all these passes together
// are short; the set of positions never changes.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

struct PlanePoint {
  double xMm = 0;
  double yMm = 0;
};

// Up to this many positions the order found is the shortest of all orders.
constexpr std::size_t kExactOrderLimit = 10;

// How the program passes through one group: `closed` processes of the group
// alone (start, positions, start) and `chained` processes over all groups
// (from `entry` through the positions to `exit`).
struct GroupVisits {
  int closed = 1;
  int chained = 0;
  PlanePoint entry, exit;
};

// The rapid path (mm) of all passes through the group with the positions in
// `order`: closed x (start -> points[order[0]] -> ... -> points[order.back()]
// -> start) + chained x (entry -> ... -> exit); 0 for no points.
double RapidPathMm(const PlanePoint& start, std::span<const PlanePoint> points, std::span<const int> order,
                   const GroupVisits& visits = {});

// A job as the program drives through it: the start position, the positions
// of groups 1-4 as the NC writer reads them, and the GROUP of each process
// (0 for all groups) up to the first missing one.
struct JobRoute {
  PlanePoint start;
  std::vector<PlanePoint> groups[4];
  std::vector<std::pair<std::string, std::string>> texts[4];  // X, Y as stored
  std::vector<int> processGroups;
  bool planned = false;  // false when the job has no process yet
};

// The passes through group `group` (1-4): counted from the processes; a job
// without processes counts as generation plans it (one process over all
// groups, two of each group). The neighbours of the all-groups pass are the
// last position of the nearest group before with positions (else the
// start) and the first of the nearest after (else the start).
GroupVisits VisitsOf(const JobRoute& route, int group);

// 0, 1, ..., count - 1: the order as given.
std::vector<int> GivenOrder(std::size_t count);

// A short visiting order (indices into `points`). Up to kExactOrderLimit
// positions the shortest (dynamic programming over the subsets visited);
// beyond, the given order, the nearest neighbour from the start and the
// nearest neighbour after each position first, each improved by 2-opt and
// Or-opt moves until none shortens the path, the shortest kept. The same
// input gives the same order; the given order comes back unchanged unless
// another is shorter by more than a micrometre.
std::vector<int> ShortVisitingOrder(const PlanePoint& start, std::span<const PlanePoint> points,
                                    const GroupVisits& visits = {});

// Each of `groups` (1-4) put in a short visiting order in turn, until a
// round changes none: a group's order depends on its neighbours through the
// pass over all groups, and each change shortens the whole, so this ends
// (kMostOrderRounds caps the work). Stored texts move with their positions.
constexpr int kMostOrderRounds = 8;
void OrderRouteGroups(JobRoute& route, std::span<const int> groups);

// The start position and every group's positions and the processes' groups
// of the current job file. False after the error (kind -1, owned by
// `owner`): a start or a position that is not a number.
bool ReadJobRoute(Context& ctx, common::Form* owner, JobRoute& route);

// Command 加工順最適化 of the hole definition dialog: the position rows are
// checked as a save checks them and put in a short visiting order for the
// passes of the job's processes through the current group (the other groups
// as saved); the path before and after is reported (kind 0). 0, or -1 after
// the error (rows unchanged).
int OptimiseHoleRows(Context& ctx, common::Form& dialog);

}  // namespace drilling
