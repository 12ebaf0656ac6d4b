#pragma once

#include "videohub/VideohubBlockAssembler.h"
#include "videohub/VideohubProtocol.h"
#include "videohub/VideohubRequest.h"

namespace Videohub {

/// The request a block stands for, with every port number checked against `ports`.
///
/// A block is taken whole or not at all: one malformed line, one port beyond the switcher or
/// one bad label refuses the whole block (NAK) and none of its lines is carried out. The
/// protocol answers each block with a single ACK or NAK, so a client could not tell which
/// lines of a partly carried out block took effect.
///
/// Lines are "<number> <value>" with the port number in decimal digits counted from 0;
/// blanks before the number are allowed, and routing and lock lines may use any run of
/// blanks between their two fields. A label is everything after the one blank that follows
/// its number. Header names are matched exactly (upper case, colon included).
Request ParseRequest(const Block &block, PortCounts ports);

} // namespace Videohub
