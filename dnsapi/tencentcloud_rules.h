// 腾讯云 API 3.0's signature (TC3-HMAC-SHA256), for DNSPod's rules and their tests.
#ifndef KIVO_TENCENTCLOUD_RULES_H
#define KIVO_TENCENTCLOUD_RULES_H

#include <cstdint>
#include <string>

#include "dnsapi/signing_rules.h"

// "<UTC date of the timestamp>/<service>/tc3_request": a local date would break every call
// between 00:00 and 08:00 Beijing time.
std::string Tc3Scope(std::int64_t timestamp, const std::string& service);

// The header lines of a POST of the body to "/" on the host, signed for the service at the
// timestamp over content-type and host: Content-Type, X-TC-Action, X-TC-Timestamp,
// X-TC-Version and "Authorization: TC3-HMAC-SHA256 Credential=<id>/<scope>,
// SignedHeaders=content-type;host, Signature=<hex>".
std::string Tc3SignedHeaders(Sha256Function sha256, const std::string& secretId,
                             const std::string& secretKey, const std::string& host,
                             const std::string& service, const std::string& action,
                             const std::string& version, std::int64_t timestamp,
                             const std::string& contentType, const std::string& body);

#endif
