// Chains of drawing entities joined end to end, grown from both ends of a picked entity.
#pragma once

#include "toolkit/api/host_base_types.h"
#include "toolkit/tkbase.h"

// A candidate of a chain: its two end points.
struct YrlChainEnds {
  double first[3];
  double second[3];
};

// Grows the chain whose open ends are start and end over the candidates, in their order:
// each step joins the first candidate (in order) that has an end strictly closer than tol
// to an open end (its start at the chain end, its end at the chain end, its start at the
// chain start, its end at the chain start, the first that holds), and moves that open end
// to the candidate's other end. Writes the joined candidates' indices in join order into
// joined (room for count) and returns how many; -1 when memory runs out. The ends are
// indexed on a grid of cell tol, so that each step costs a few lookups.
int YrlChainGrow(const YrlChainEnds* candidates, int count, double* start, double* end, double tol,
                 int* joined);

// One chain pick of the selection dialog: picks one entity (through filter, null for
// any) and adds to (mode 1) or removes from (mode 2) the current selection the chain it
// starts; within_view keeps the chain to the members of the picked entity's view.
int yrl_chain_pick(const char* filter, VynSelectionFilter* pick_filter, int mode, int within_view);
