#pragma once

#include "editors/parameter_listing.h"
#include "image/image_source.h"
#include "image/parameter_image.h"
#include "transfers/parameter_set.h"

#include <string>
#include <vector>

// What Send all and Send edited groups settle before anything goes on the line: whether
// the set's station is one port 1 can follow, what exactly goes, and how it differs from
// what the controller holds now.

// "" when the set's STN is a station port 1 can follow; else why the set is refused,
// naming the file's cell when the value is still the one the file held, else the set's
// STN and where the set came from.
std::string StationRefusalOf(const ParameterSet& set);

// The set as a Send all puts it onto `onto`, which holds what the controller holds: read
// from a controller (or a snapshot of a whole read) every group goes whole; from a file,
// only what a file carries, as a restore of that file would: GAP, MAX, PP, PI and PD stay
// as the controller holds them, and each pattern's PVST, CYCL and LINK (a file holds them
// once, as segment 1's) go to all twenty segments.
bool PutSetOnto(const ParameterImage& set, const ImageSource& source, ParameterImage& onto);

// Every parameter in which `outgoing` differs from what the controller holds (`held`),
// each field of every segment included.
std::vector<ParameterDifference> OutgoingDifferences(const ParameterImage& outgoing,
                                                     const ParameterImage& held);
