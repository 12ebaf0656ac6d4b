#include "videohub/VideohubRequest.h"

namespace Videohub {

QByteArrayView RefusalText(RefusalReason reason)
{
    switch (reason) {
    case RefusalReason::UnknownBlock:
        return "unknown block";
    case RefusalReason::ReadOnlyBlock:
        return "read-only block";
    case RefusalReason::MalformedLine:
        return "malformed line";
    case RefusalReason::PortOutOfRange:
        return "port out of range";
    case RefusalReason::BadLabel:
        return "bad label";
    case RefusalReason::LineTooLong:
        return "line too long";
    case RefusalReason::TooManyLines:
        return "too many lines";
    case RefusalReason::BlockTooLarge:
        return "block too large";
    }
    return "refused";
}

} // namespace Videohub
