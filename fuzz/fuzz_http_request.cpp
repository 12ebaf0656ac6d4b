// Bytes from a browser or anyone else through the control page's request-head parser, and
// the cookie and form readers. A complete head must end where its blank line ends, within
// the size limit, with at most the allowed number of fields, named in lower case.
#include "HttpRequestHead.h"

#include <cstdint>
#include <cstdlib>

using namespace Bridge::Web;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ParsedHead parsed = ParseRequestHead(bytes);
    if (parsed.status == HeadStatus::Complete) {
        const HttpRequestHead &head = parsed.head;
        Check(head.size >= 4 && head.size <= bytes.size() && head.size <= MaxHeadBytes);
        Check(bytes.first(head.size).endsWith("\r\n\r\n"));
        Check(int(head.fields.size()) <= MaxFields);
        Check(head.target.startsWith('/') && !head.method.isEmpty());
        for (const auto &[name, value] : head.fields) {
            Check(!name.isEmpty() && name == name.toLower());
            Check(!value.contains('\r') && !value.contains('\n'));
            if (name == "cookie")
                CookieValue(value, "matrix_session");
        }
        FormValue(bytes.sliced(head.size), "token");
    } else if (parsed.status == HeadStatus::Incomplete) {
        Check(bytes.size() < MaxHeadBytes);
    }
    CookieValue(bytes, "matrix_session");
    return 0;
}
