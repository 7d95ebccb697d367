// One blocking HTTP GET through WinINet.
#ifndef KIVO_HTTP_GET_WIN_H
#define KIVO_HTTP_GET_WIN_H

#include <string>

#include "update/update_rules.h"

// Sends the request to port 80 of its host (through the system's proxy, if one is set)
// and returns at most 1024 bytes of the response body, whatever the status, up to the
// first NUL. Empty when the exchange failed or ran out of time; never reports otherwise.
std::string HttpGetText(const HttpRequest& request);

#endif
