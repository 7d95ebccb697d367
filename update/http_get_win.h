// One blocking HTTP GET through WinINet.
#ifndef KIVO_HTTP_GET_WIN_H
#define KIVO_HTTP_GET_WIN_H

#include <string>

#include "update/update_rules.h"

// Sends the request to port 443 of its host over TLS, or to port 80 in clear (through the
// system's proxy, if one is set), and returns at most 1024 bytes of the response body,
// whatever the status, up to the first NUL; or, when no reply arrived, why not. It waits
// about budgetMs at most.
HttpReply HttpGetText(const HttpRequest& request, unsigned budgetMs = ExchangeBudgetMs);

#endif
