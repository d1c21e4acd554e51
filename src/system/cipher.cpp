#include "system/cipher.h"

#include <cstring>

#include "system/base64.h"
#include "system/rc4_core.h"

namespace {

template <class C>
constexpr TCipherClass kClassOf{&C::GetId, &C::GetAlgorithm, &C::GetMaxKeySize, &C::SelfTest};

// Written through volatile so the wipe of an object about to be freed is not optimised away.
void Fill(std::uint8_t* bytes, std::size_t size, std::uint8_t value) {
    volatile std::uint8_t* p = bytes;
    for (std::size_t i = 0; i < size; ++i) p[i] = value;
}

}  // namespace

// ---- Tokokokokkk

Tokokokokkk::Tokokokokkk(TComponent* owner) : TComponent(owner) { Tokokokokkk::Wipe(); }

Tokokokokkk::~Tokokokokkk() {
    if (Initialized) Tokokokokkk::Wipe();
}

const TCipherClass& Tokokokokkk::ClassType() const { return kClassOf<Tokokokokkk>; }

void Tokokokokkk::Init(const void*, std::uint32_t sizeBits, const void*) {
    if (Initialized) Wipe();
    // -1 as the maximum compares as the largest unsigned number: no limit.
    const auto maxBits = static_cast<std::uint32_t>(ClassType().GetMaxKeySize());
    if (sizeBits == 0 || sizeBits % 4 != 0 || sizeBits > maxBits) throw EhjmJjnjnkm("Invalid key size");
    Initialized = true;
}

void Tokokokokkk::Wipe() { Initialized = false; }

void Tokokokokkk::Reset() {}

void Tokokokokkk::Encrypt(const void*, void*, std::uint32_t) {}

void Tokokokokkk::Decrypt(const void*, void*, std::uint32_t) {}

std::string Tokokokokkk::EncryptBase64(const std::string& text) {
    std::string bytes(text.size(), '\0');
    Encrypt(text.data(), bytes.data(), static_cast<std::uint32_t>(text.size()));
    return Base64Encode(bytes);
}

std::string Tokokokokkk::DecryptBase64(const std::string& text) {
    std::string bytes = Base64Decode(text);
    Decrypt(bytes.data(), bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

// ---- Thjhjhjh

Thjhjhjh::Thjhjhjh(TComponent* owner) : Tokokokokkk(owner) { Thjhjhjh::Wipe(); }

Thjhjhjh::~Thjhjhjh() {
    if (Initialized) Thjhjhjh::Wipe();
}

const TCipherClass& Thjhjhjh::ClassType() const { return kClassOf<Thjhjhjh>; }

void Thjhjhjh::Init(const void* key, std::uint32_t sizeBits, const void* iv) {
    if (Initialized) Wipe();
    Tokokokokkk::Init(key, sizeBits, nullptr);
    const std::uint32_t keyBytes = sizeBits / 8;
    if (keyBytes == 0) {
        Wipe();
        throw EhjmJjnjnkm("Invalid key size");
    }
    rc4::Schedule(State, static_cast<const std::uint8_t*>(key), keyBytes);
    std::memcpy(SavedState, State, sizeof State);
}

void Thjhjhjh::Wipe() {
    Fill(SavedState, sizeof SavedState, 0xFF);
    Fill(State, sizeof State, 0xFF);
    Tokokokokkk::Wipe();
}

void Thjhjhjh::Reset() { std::memcpy(State, SavedState, sizeof State); }

void Thjhjhjh::Encrypt(const void* in, void* out, std::uint32_t size) {
    if (!Initialized) throw EhjmJjnjnkm("Cipher not initialized");
    rc4::Apply(State, static_cast<const std::uint8_t*>(in), static_cast<std::uint8_t*>(out), size);
}

void Thjhjhjh::Decrypt(const void* in, void* out, std::uint32_t size) { Thjhjhjh::Encrypt(in, out, size); }

bool Thjhjhjh::SelfTest() {
    // The known answer of the published Arcfour description, 40-bit key.
    const std::uint8_t key[5] = {0x61, 0x8A, 0x63, 0xD2, 0xFB};
    const std::uint8_t plain[5] = {0xDC, 0xEE, 0x4C, 0xF9, 0x2C};
    const std::uint8_t cipher[5] = {0xF1, 0x38, 0x29, 0xC9, 0xDE};
    std::uint8_t buffer[5];
    Thjhjhjh rc4(nullptr);
    rc4.Init(key, 40, nullptr);
    rc4.Encrypt(plain, buffer, sizeof buffer);
    const bool encrypted = std::memcmp(buffer, cipher, sizeof buffer) == 0;
    rc4.Reset();
    rc4.Decrypt(buffer, buffer, sizeof buffer);
    const bool decrypted = std::memcmp(buffer, plain, sizeof buffer) == 0;
    rc4.Wipe();
    return encrypted && decrypted;
}
