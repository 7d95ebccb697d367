#include "dnsapi/api_providers.h"

#include <iterator>

std::string ZoneNameOf(const JsonValue& domain, const char* asciiKey, const char* nameKey) {
    const std::string ascii = domain[asciiKey].Scalar();
    return ascii.empty() ? domain[nameKey].Scalar() : ascii;
}

// The .Lr file only scrambles the password: each line says what least rights to give the key.
#define NOT_ENCRYPTED "注意:.Lr文件中的密码只是简单混淆,并未加密,"

// The Chinese providers before the foreign ones, as the list shows them.
const ApiProvider ApiProviders[] = {
    {"alidns", "阿里云解析", "https://alidns.aliyuncs.com/",
     "用户名:AccessKey ID   密码:AccessKey Secret\r\n" NOT_ENCRYPTED
     "请在RAM访问控制中建一个只有AliyunDNSFullAccess权限的用户,用它的AccessKey",
     "AccessKey", true, true, true, &AlidnsRules},
    {"tencentcloud", "腾讯云 DNSPod (API 3.0)", "https://dnspod.tencentcloudapi.com/",
     "用户名:SecretId   密码:SecretKey\r\n" NOT_ENCRYPTED
     "请在访问管理(CAM)中建一个只有QcloudDNSPodFullAccess权限的子用户,用它的API密钥",
     "API密钥(SecretId/SecretKey)", true, true, true, &TencentcloudRules},
    {"dnspod", "DNSPod (Token)", "https://dnsapi.cn/",
     "用户名:DNSPod Token的ID   密码:Token(DNSPod控制台\"API密钥\"中创建)\r\n" NOT_ENCRYPTED
     "该Token可管理账户中所有域名,请妥善保管",
     "DNSPod Token", true, false, false, &DnspodRules},
    {"huaweicloud", "华为云解析", "https://dns.myhuaweicloud.com",
     "用户名:AK(访问密钥ID)   密码:SK(秘密访问密钥)\r\n" NOT_ENCRYPTED
     "请在统一身份认证(IAM)中建一个只有DNS权限的用户,用它的访问密钥",
     "访问密钥(AK/SK)", true, true, true, &HuaweicloudRules},
    {"cloudflare", "Cloudflare", "https://api.cloudflare.com/client/v4",
     "用户名:不用填   密码:API令牌(用\"编辑区域 DNS\"模板创建)\r\n" NOT_ENCRYPTED
     "令牌的区域资源请只选这个域名",
     "API令牌", false, false, false, &CloudflareRules},
};
const std::size_t ApiProviderCount = std::size(ApiProviders);

bool NeedsAddress(const std::string& key) {
    const Provider* dyndns = BuiltInProviderOf(key);
    return ApiProviderOf(key) || (dyndns && dyndns->needsAddress);
}

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
