#include "dnsapi/crypto_win.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>

namespace {

// A verify-only context of the AES provider, which has SHA-256 under another name on XP
// SP3 than later: no name is given, only the type.
class CryptoContext {
public:
    CryptoContext() {
        if (!CryptAcquireContextA(&context_, nullptr, nullptr, PROV_RSA_AES,
                                  CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
            context_ = 0;
        }
    }
    ~CryptoContext() {
        if (context_) CryptReleaseContext(context_, 0);
    }
    CryptoContext(const CryptoContext&) = delete;
    CryptoContext& operator=(const CryptoContext&) = delete;
    HCRYPTPROV get() const { return context_; }

private:
    HCRYPTPROV context_ = 0;
};

class HashObject {
public:
    explicit HashObject(HCRYPTPROV context) {
        if (!context || !CryptCreateHash(context, CALG_SHA_256, 0, 0, &hash_)) hash_ = 0;
    }
    ~HashObject() {
        if (hash_) CryptDestroyHash(hash_);
    }
    HashObject(const HashObject&) = delete;
    HashObject& operator=(const HashObject&) = delete;
    HCRYPTHASH get() const { return hash_; }

private:
    HCRYPTHASH hash_ = 0;
};

// Kept for the process's life; each digest has a hash object of its own.
const CryptoContext& Context() {
    static const CryptoContext context;
    return context;
}

// 32 bytes, or none where the system failed: no signature is made of a wrong digest.
std::string Sha256(const std::string& bytes) {
    const HashObject hash(Context().get());
    BYTE digest[32];
    DWORD size = sizeof digest;
    if (!hash.get() ||
        !CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()), 0) ||
        !CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &size, 0) || size != sizeof digest) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(digest), size);
}

}  // namespace

std::string RandomNonce() {
    static const char Digits[] = "0123456789abcdef";
    BYTE random[16] = {};
    // Where the generator fails, the time and a count still make each nonce new.
    if (!Context().get() || !CryptGenRandom(Context().get(), sizeof random, random)) {
        static LONG count = 0;
        LARGE_INTEGER now = {};
        QueryPerformanceCounter(&now);
        const unsigned long long parts[] = {
            static_cast<unsigned long long>(now.QuadPart),
            static_cast<unsigned long long>(InterlockedIncrement(&count))};
        std::memcpy(random, parts, sizeof random);
    }
    std::string nonce;
    for (const BYTE byte : random) {
        nonce += Digits[byte >> 4];
        nonce += Digits[byte & 0x0F];
    }
    return nonce;
}

Sha256Function SystemSha256() {
    static const bool available = Sha256("").size() == 32;
    return available ? Sha256 : nullptr;
}
