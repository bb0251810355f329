#pragma once
// Directions and their output channels: creating a direction of a kind with
// its channels, deleting one (a tram as a whole), choosing the channel and
// monitoring mode of one slot, resetting the channel numbers and changing the
// controller's channel count. Every operation refuses indices outside the
// tables and leaves the configuration untouched when it refuses.
#include <cstdint>
#include <vector>

#include "model/configuration.h"

namespace livra {


// Trams and call inputs are wired without monitoring (mode 0 only).
bool allowsMonitoring(uint8_t kind);

// The first row of the tram that row d belongs to, when rows first..first+2
// really hold 7, 8, 9; -1 otherwise (not a tram row, or a stray row from a
// file).
int tramGroupStart(const Configuration& c, int d);

// Whether a direction of this kind (a tram is asked for as 7) can be created
// at row d: the row is free, a tram also needs rows d+1 and d+2 free, and each
// call input exists at most once.
bool canCreateDirection(const Configuration& c, int d, uint8_t kind);

// Creates the direction at row d: kind (7, 8, 9 for a tram), its signals
// cleared in all 16 programs, its slots wired from the free channels in slot
// order (highest free channel first) with the kind's monitoring modes. False,
// and nothing changed, when canCreateDirection says no.
bool createDirection(Configuration& c, int d, uint8_t kind);

// Deletes the direction at row d, or the whole tram when d is one of a real
// tram group: later rows move up in every table of every program. False when
// row d is outside the table or empty.
bool deleteDirection(Configuration& c, int d);

// The channel list of slot s of direction d, in display order: the current
// channel (when connected and within ChannelCount), then 0 for "нет", then the
// free channels ascending. Channels 63 and 64 are never free (the free list
// has 63 entries, 0..62).
std::vector<uint8_t> channelChoices(Configuration& c, int d, int s);

// Stores a channel (0 = not connected) and a monitoring mode into slot s of
// direction d. Trams and call inputs always get mode 0; the shared lamp
// (slot 6) of a real tram group goes to all three rows. Refused (false,
// nothing changed) for a slot the kind does not use, a channel that
// channelChoices does not offer, or a mode outside 0..2.
bool applyChannel(Configuration& c, int d, int s, uint8_t channel, uint8_t mode);

// Every slot disconnected; monitoring modes stay.
void resetChannelNumbers(Configuration& c);

// The channel count of the controller; slots above it are disconnected.
// False, nothing changed, for a count outside 1..64.
bool changeChannelCount(Configuration& c, int count);

}  // namespace livra
