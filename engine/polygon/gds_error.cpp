#include "engine/polygon/gds_error.h"

namespace {

std::string BoundedText(const char *text, const char *ifNull)
{
    std::string s = text ? text : ifNull;
    if (s.size() > GDS_Error::kMaxText)
        s.resize(GDS_Error::kMaxText);
    return s;
}

} // namespace

GDS_Error::GDS_Error(const char *message, const char *header, int degree, int fatal)
    : _message(BoundedText(message, "non specified")), _header(BoundedText(header, "non specified")),
      _degree(degree), _fatal(fatal)
{
}

void GDS_Error::SetReport(const char *message, const char *header)
{
    _reportMessage = BoundedText(message, "");
    _reportHeader = BoundedText(header, "");
}
