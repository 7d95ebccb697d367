// 阿里云解析's signature (ACS3-HMAC-SHA256), for its rules and their tests.
#ifndef KIVO_ALIDNS_RULES_H
#define KIVO_ALIDNS_RULES_H

#include <string>

#include "dnsapi/signing_rules.h"

// The header lines of a POST to "/" with the query and body, signed: x-acs-action,
// x-acs-content-sha256, x-acs-date (isoTime), x-acs-signature-nonce, x-acs-version and
// "Authorization: ACS3-HMAC-SHA256 Credential=<id>,SignedHeaders=<names>,Signature=<hex>",
// the host among the names signed (WinINet sends its line).
std::string AcsSignedHeaders(Sha256Function sha256, const std::string& keyId,
                             const std::string& secret, const std::string& host,
                             const std::string& action, const std::string& version,
                             const std::string& isoTime, const std::string& nonce,
                             const NameValues& query, const std::string& body);

#endif
