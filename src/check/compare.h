#pragma once
// What differs between two configurations, in the engineer's terms: the
// question "is what runs in this controller the project I checked?".
//
// The comparison covers what the controller image carries and nothing else:
// both sides are compiled into an image and decoded again before they are
// compared, so editor state (marks of call-input cells, derived tact fields,
// free channels, signals of tacts after a program's end, slots a direction's
// kind does not use) never shows as a difference. Two configurations are
// equal exactly when their images are the same bytes: codes the decoder
// reads more coarsely than the controller are told by their place in the
// image when nothing else differs.
#include <optional>
#include <string>
#include <vector>

#include "image/image.h"
#include "model/configuration.h"
#include "model/texts.h"

namespace livra {

// The lines, in a stable order: channel count, call-input delays, each
// direction (kind, channels, monitoring), each user program 4–16 (tact count;
// per tact kind, Т мин, Т осн and the signals), the fixed programs 1–3, the
// calendar per weekday. Each line reads "what: a → b". Empty when equal.
//
// A configuration the image cannot carry faithfully (see imageFinding) is not
// compared: the one line names it, so a loss in the image is never "equal".
std::vector<std::string> compareConfigurations(const Configuration& a, const Configuration& b);

// The same for two images, e.g. the one compiled from a project and the one
// fetched from a controller (which is compared as fetched, byte for byte).
std::vector<std::string> compareImages(const ImageFiles& a, const ImageFiles& b);

// Why the image would not carry the configuration as it stands (a time or a
// delay above one byte, a tact of unknown kind, a hole in the directions, a
// channel count or direction layout the controller cannot hold); nothing
// when it carries it faithfully.
std::optional<std::string> imageFinding(const Configuration& c);

}  // namespace livra
