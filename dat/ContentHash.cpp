#include "dat/ContentHash.h"

#include <openssl/evp.h>
#include <stdexcept>

namespace tarnwick {

struct ContentHash::Context {
    EVP_MD_CTX* Digest = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(Digest); }
};

ContentHash::ContentHash() : State(std::make_unique<Context>()) {
    if (!State->Digest || EVP_DigestInit_ex(State->Digest, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("OpenSSL cannot compute SHA-256 here.");
}

ContentHash::~ContentHash() = default;

void ContentHash::Add(QByteArrayView bytes) {
    EVP_DigestUpdate(State->Digest, bytes.data(), std::size_t(bytes.size()));
}

QByteArray ContentHash::HexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(State->Digest, digest, &length);
    return QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex();
}

} // namespace tarnwick
