#include "password_cipher.h"

#include <gcrypt.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "base64.h"

namespace zep {
namespace {

constexpr char kPassPhrase[] = "KLT by pavomire";  // fifteen bytes, no terminator used
constexpr size_t kBlock = 8;

void WipeBytes(void* p, size_t n) {
    volatile unsigned char* b = static_cast<volatile unsigned char*>(p);
    while (n--) *b++ = 0;
}

void EnsureLibraryReady() {
    static const bool ready = [] {
        if (!gcry_check_version(GCRYPT_VERSION)) throw std::runtime_error("libgcrypt version mismatch");
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    (void)ready;
}

// One use of the cipher: the key schedule lives in the libgcrypt handle, which wipes it when closed;
// the feedback register is wiped by the destructor.
class Cfb8Session {
public:
    Cfb8Session() {
        EnsureLibraryReady();
        std::array<unsigned char, 20> key;
        gcry_md_hash_buffer(GCRY_MD_SHA1, key.data(), kPassPhrase, sizeof kPassPhrase - 1);
        if (gcry_cipher_open(&handle_, GCRY_CIPHER_BLOWFISH, GCRY_CIPHER_MODE_ECB, 0) != 0 ||
            gcry_cipher_setkey(handle_, key.data(), key.size()) != 0) {
            WipeBytes(key.data(), key.size());
            throw std::runtime_error("Blowfish is not available");
        }
        WipeBytes(key.data(), key.size());
        register_.fill(0xFF);
        EncryptBlock(register_.data());  // the initial vector
    }
    ~Cfb8Session() {
        gcry_cipher_close(handle_);
        WipeBytes(register_.data(), register_.size());
    }
    Cfb8Session(const Cfb8Session&) = delete;
    Cfb8Session& operator=(const Cfb8Session&) = delete;

    std::string Transform(std::string_view in, bool encrypting) {
        std::string out(in.size(), '\0');
        for (size_t i = 0; i < in.size(); ++i) {
            std::array<unsigned char, kBlock> keystream = register_;
            EncryptBlock(keystream.data());
            unsigned char input = static_cast<unsigned char>(in[i]);
            unsigned char output = input ^ keystream[0];
            WipeBytes(keystream.data(), keystream.size());
            std::memmove(register_.data(), register_.data() + 1, kBlock - 1);
            register_[kBlock - 1] = encrypting ? output : input;
            out[i] = static_cast<char>(output);
        }
        return out;
    }

private:
    void EncryptBlock(unsigned char* block) { gcry_cipher_encrypt(handle_, block, kBlock, nullptr, 0); }

    gcry_cipher_hd_t handle_ = nullptr;
    std::array<unsigned char, kBlock> register_{};
};

}  // namespace

std::string PasswordCipher::EncryptCfb8(std::string_view plain) { return Cfb8Session().Transform(plain, true); }

std::string PasswordCipher::DecryptCfb8(std::string_view cipher) { return Cfb8Session().Transform(cipher, false); }

std::string PasswordCipher::Protect(std::string_view password) {
    if (password.empty()) return {};
    std::string cipher = EncryptCfb8(password);
    std::string stored = Base64Encode(cipher);
    WipeBytes(cipher.data(), cipher.size());
    return stored;
}

std::optional<std::string> PasswordCipher::Reveal(std::string_view stored) {
    if (stored.empty()) return std::string();
    auto cipher = Base64Decode(stored);
    if (!cipher) return std::nullopt;
    return DecryptCfb8(*cipher);
}

}  // namespace zep
