#pragma once

// Where the controller's logbook ring stands. The controller keeps its 1500 records as a ring and
// reports the number of entries and the ring position with command 106; a simulated controller keeps
// them beside its logbook in "kelvora.ring" ("<position> <count>"). Without that file the ring has not
// wrapped: the count is the number of records in "kelvora.log" (at most 1500) and the position follows
// the last of them.

namespace sim {

class SimController;

struct RingState {
    int count = 0;
    int position = 0;
};

RingState readRingState(const SimController& controller);
void writeRingState(const SimController& controller, const RingState& state);
// The logbook was emptied: count and position start again from the records in the file.
void clearRingState(const SimController& controller);

} // namespace sim
