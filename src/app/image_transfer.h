#pragma once
// A whole controller image moved over an open link session, for the read,
// the write and the checks that compare: nothing is asked, no file written,
// nothing decoded. Only the session's own exchange messages reach the user.
#include "app/link_session.h"
#include "image/image.h"

namespace livra {

// Fetches every part; part 7's first four bytes give the length of part 8.
// Damaged: that length cannot be real (nobody has been told yet).
LinkOutcome fetchImage(LinkSession& s, ImageFiles& files);

// Sends every part in the controller's order. Once the first frame went out
// a failure is PartlyWritten: the controller may hold a mixture.
LinkOutcome sendImage(LinkSession& s, const ImageFiles& image);

// Fetches positions first..first+count-1 with one read command, `block`
// bytes a request, counting them into done of total for the progress bar.
// false when an exchange failed (s.failure() says how).
bool fetchBlocks(LinkSession& s, uint8_t command, uint32_t first, std::size_t count, std::size_t block, Bytes& out,
                 std::size_t& done, std::size_t total);

// Bytes of an image, all parts together.
std::size_t imageBytes(const ImageFiles& image);

}  // namespace livra
