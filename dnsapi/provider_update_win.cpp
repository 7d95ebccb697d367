#include "dnsapi/provider_update_win.h"

#include <windows.h>

#include "base/code_page_win.h"
#include "base/system_clock_win.h"
#include "dnsapi/api_conversation.h"
#include "dnsapi/crypto_win.h"
#include "update/http_exchange_win.h"
#include "update/run_update_win.h"

UpdateAnswer UpdateAtChosenProvider(const ProviderChoice& provider, const UpdateFields& fields) {
    const ApiProvider* api = ApiProviderOf(provider.key);
    if (!api) {
        const Provider* dyndns = BuiltInProviderOf(provider.key);
        return DyndnsAnswer(SendUpdate(provider, fields), fields.domain,
                            dyndns ? dyndns->answers : nullptr);
    }
    const ApiContext context = {fields.user, fields.password, SecondsSince1970, RandomNonce,
                                SystemSha256()};
    const DWORD start = GetTickCount();
    ApiExchanges exchanges;
    exchanges.exchange = [](const HttpRequest& request, unsigned budgetMs) {
        return HttpExchange(request, budgetMs);
    };
    exchanges.elapsedMs = [start] { return static_cast<unsigned>(GetTickCount() - start); };
    exchanges.toAnsi = AnsiOfUtf8;
    exchanges.isLeadByte = IsLeadByteOfAnsiCodePage;
    return UpdateAtProvider(*api, context, fields.domain, fields.address, exchanges);
}
