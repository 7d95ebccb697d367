// The system's CryptoAPI, for the providers that sign their requests: SHA-256, and random
// nonces.
#ifndef KIVO_CRYPTO_WIN_H
#define KIVO_CRYPTO_WIN_H

#include "dnsapi/api_rules.h"

// The system's SHA-256, or null where it has none (Windows XP before SP3). The first call,
// on the window's thread before the worker starts, asks the system once.
Sha256Function SystemSha256();

// 32 hexadecimal digits from the system's random generator, never the same twice.
std::string RandomNonce();

#endif
