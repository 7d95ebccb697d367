// One blocking HTTP exchange through WinINet.
#ifndef KIVO_HTTP_EXCHANGE_WIN_H
#define KIVO_HTTP_EXCHANGE_WIN_H

#include <string>

#include "update/update_rules.h"

// Sends the request to port 443 of its host over TLS, or to port 80 in clear (through the
// system's proxy, if one is set), and returns the reply's status, header lines and at most
// request.replyLimit bytes of its body, whatever the status, up to the first NUL; or, when
// no reply arrived, why not. It waits about budgetMs at most.
HttpReply HttpExchange(const HttpRequest& request, unsigned budgetMs = ExchangeBudgetMs);

#endif
