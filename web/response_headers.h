// Reads the raw response header text into the request's out-parameters.
#pragma once

#include "text/text.h"

namespace linkgrab {

// cookies is null when the caller of the request did not pass it.
void InterpretResponseHeaders(const Text& rawHeaders, Text* cookies, bool mergeCookies,
                              Text& responseHeaders, Text& statusText, Text& receivedCookies,
                              Text& redirectLocation);

}  // namespace linkgrab
