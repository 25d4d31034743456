// The request header block: the caller's lines completed by the default lines and a cookie line.
#pragma once

#include "text/text.h"

namespace linkgrab {

Text ComposeRequestHeaders(const Text& extraHeaders, const Text& cookies);

}  // namespace linkgrab
