// Trusts the simulator's test CA in the current Wine prefix only, as a root of the local
// machine, so that Kivo's platform check accepts the simulator's certificate there.
//   trust_test_ca.exe CA.der
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    std::ifstream file(argc > 1 ? argv[1] : "", std::ios::binary);
    const std::string der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    HCERTSTORE root =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    const bool trusted = root && !der.empty() &&
                         CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING,
                                                          reinterpret_cast<const BYTE*>(der.data()),
                                                          static_cast<DWORD>(der.size()),
                                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    if (!trusted)
        std::fprintf(stderr, "cannot trust %s: error %lu\n", argc > 1 ? argv[1] : "?",
                     GetLastError());
    if (root) CertCloseStore(root, 0);
    return trusted ? 0 : 1;
}
