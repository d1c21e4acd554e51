#pragma once
// The cipher family: Tokokokokkk fixes what every cipher offers, Thjhjhjh is RC4.
//
// Class-level operations (GetId, GetAlgorithm, GetMaxKeySize, SelfTest) are static members of
// each class, callable without an instance: Thjhjhjh::GetId(). An instance reaches those of its
// own class through the virtual ClassType(), which returns the class's table of them, so the
// base's Init checks the size against the maximum of the object's real class.
#include <cstdint>
#include <string>

#include "system/component.h"
#include "system/exception.h"

// The cipher's own error ("Invalid key size", "Cipher not initialized").
class EhjmJjnjnkm : public Exception {
public:
    using Exception::Exception;
};

// What a cipher class offers without an instance.
struct TCipherClass {
    int (*GetId)();
    std::string (*GetAlgorithm)();
    int (*GetMaxKeySize)();  // bits; -1 means no limit (compared as unsigned)
    bool (*SelfTest)();
};

class Tokokokokkk : public TComponent {
public:
    explicit Tokokokokkk(TComponent* owner = nullptr);
    ~Tokokokokkk() override;

    static int GetId() { return -1; }
    static std::string GetAlgorithm() { return {}; }
    static int GetMaxKeySize() { return -1; }
    static bool SelfTest() { return false; }
    virtual const TCipherClass& ClassType() const;

    // Published properties: reads give the class's value, writes are accepted and ignored.
    int Id() const { return ClassType().GetId(); }
    void SetId(int) {}
    std::string Algorithm() const { return ClassType().GetAlgorithm(); }
    void SetAlgorithm(const std::string&) {}
    int MaxKeySize() const { return ClassType().GetMaxKeySize(); }
    void SetMaxKeySize(int) {}

    // key: sizeBits / 8 bytes; iv may be null. Throws EhjmJjnjnkm("Invalid key size").
    virtual void Init(const void* key, std::uint32_t sizeBits, const void* iv);
    virtual void Wipe();
    virtual void Reset();
    // in and out may be the same buffer.
    virtual void Encrypt(const void* in, void* out, std::uint32_t size);
    virtual void Decrypt(const void* in, void* out, std::uint32_t size);
    virtual std::string EncryptBase64(const std::string& text);
    virtual std::string DecryptBase64(const std::string& text);

protected:
    bool Initialized = false;
};

// RC4. Every Encrypt/Decrypt call starts i and j at 0; only the permutation carries over, so
// Reset restores the keystream made by Init.
class Thjhjhjh : public Tokokokokkk {
public:
    explicit Thjhjhjh(TComponent* owner = nullptr);
    ~Thjhjhjh() override;

    static int GetId() { return 19; }
    static std::string GetAlgorithm() { return "RC4"; }
    static int GetMaxKeySize() { return 2048; }
    static bool SelfTest();
    const TCipherClass& ClassType() const override;

    // A size of 4 bits passes the base's checks but leaves RC4 without a key byte: rejected
    // with "Invalid key size" like every other unusable size.
    void Init(const void* key, std::uint32_t sizeBits, const void* iv) override;
    void Wipe() override;
    void Reset() override;
    void Encrypt(const void* in, void* out, std::uint32_t size) override;
    void Decrypt(const void* in, void* out, std::uint32_t size) override;

protected:
    std::uint8_t State[256];
    std::uint8_t SavedState[256];
};
