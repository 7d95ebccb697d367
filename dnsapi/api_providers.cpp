#include "dnsapi/api_providers.h"

#include <iterator>

// The .Lr file only scrambles the password: each line says what least rights to give the key.
#define NOT_ENCRYPTED "注意:.Lr文件中的密码只是简单混淆,并未加密,"

// The Chinese providers before the foreign ones, as the list shows them.
const ApiProvider ApiProviders[] = {
    {"dnspod", "DNSPod (Token)", "https://dnsapi.cn/",
     "用户名:DNSPod Token的ID   密码:Token(DNSPod控制台\"API密钥\"中创建)\r\n" NOT_ENCRYPTED
     "该Token可管理账户中所有域名,请妥善保管",
     "DNSPod Token", true, false, false, &DnspodRules},
    {"cloudflare", "Cloudflare", "https://api.cloudflare.com/client/v4",
     "用户名:不用填   密码:API令牌(用\"编辑区域 DNS\"模板创建)\r\n" NOT_ENCRYPTED
     "令牌的区域资源请只选这个域名",
     "API令牌", false, false, false, &CloudflareRules},
};
const std::size_t ApiProviderCount = std::size(ApiProviders);

bool UsesUserName(const std::string& key) {
    const ApiProvider* api = ApiProviderOf(key);
    return !api || api->usesUserName;
}

bool IsProviderKey(const std::string& key) {
    return ApiProviderOf(key) || BuiltInProviderOf(key) || key == CustomProviderKey;
}

const ApiProvider* ApiProviderOf(const std::string& key) {
    for (const ApiProvider& provider : ApiProviders) {
        if (key == provider.key) return &provider;
    }
    return nullptr;
}
