// 华为云解析's signature (SDK-HMAC-SHA256), for its rules and their tests.
#ifndef KIVO_HUAWEICLOUD_RULES_H
#define KIVO_HUAWEICLOUD_RULES_H

#include <string>

#include "dnsapi/signing_rules.h"

// The path as it is signed: each segment RFC 3986-encoded, always ending in "/", though the
// path sent has none.
std::string SdkCanonicalUri(const std::string& path);

// The header lines of the call, signed at the time ("20261207T080000Z") over content-type,
// host and x-sdk-date: Content-Type, X-Sdk-Date and "Authorization: SDK-HMAC-SHA256
// Access=<AK>, SignedHeaders=<names>, Signature=<hex>".
std::string SdkSignedHeaders(Sha256Function sha256, const std::string& accessKey,
                             const std::string& secretKey, const std::string& host,
                             const std::string& method, const std::string& path,
                             const NameValues& query, const std::string& sdkDate,
                             const std::string& body);

#endif
