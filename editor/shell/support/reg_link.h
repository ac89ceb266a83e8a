// Links to registry keys. A link names a root and a key path and opens the
// key afresh for every read or write, so no key stays open between
// operations. Key paths begin with "\" ("\Software\Vorn Technology\ORVPro");
// key names are case-insensitive. Texts are Windows-1252.
#pragma once

#include "platform/registry.h"

#include <cstdint>
#include <string>
#include <vector>

// The predefined roots besides those the platform keeps; keys under them
// never open.
inline constexpr HKEY HKEY_USERS = 0x80000003;
inline constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006;

class TRegLink {
public:
    TRegLink() = default;
    TRegLink(HKEY hive, std::string key);
    virtual ~TRegLink() = default;

    // Each checks the link once the other part is set, and shows the first
    // broken rule in an information box; the operations still run.
    void SetHive(HKEY hive);
    void SetKey(std::string key);
    HKEY Hive() const { return hive_; }
    const std::string &Key() const { return key_; }

    // Open the key, creating it when missing, and write; false when the key
    // cannot be opened or created.
    bool WriteString(const std::string &name, const std::string &value) const;
    bool WriteInteger(const std::string &name, int32_t value) const;
    // The value, or the default when the key or the value is missing or the
    // value is of another type; the result says whether the key opened.
    bool ReadString(const std::string &name, std::string &value, const std::string &defaultValue) const;
    std::string GetString(const std::string &name, const std::string &defaultValue) const;
    bool ReadInteger(const std::string &name, int32_t &value, int32_t defaultValue) const;
    int32_t GetInteger(const std::string &name, int32_t defaultValue) const;
    // Names of the key's values in their order; empty when the key is missing.
    std::vector<std::string> ValueNames() const;
    bool KeyExists() const;
    // Deletes the key with everything below it; false when it is missing.
    bool DeleteKey() const;
    // False when the key or the value is missing.
    bool DeleteValue(const std::string &name) const;

private:
    void Validate() const;

    HKEY hive_ = 0;
    std::string key_;
};

// The system's registration of its user. On this system the owner is the
// account's full name (unless the key holds one) and the organisation is
// empty (unless the key holds one).
class TWindowsReg : public TRegLink {
public:
    TWindowsReg();
    std::string RegisteredOwner() const;
    std::string RegisteredOrganisation() const;
};

// The registration of an automation class by its ProgID, read at
// construction from HKEY_CLASSES_ROOT.
class TCOMRegistration : public TRegLink {
public:
    explicit TCOMRegistration(std::string progId);

    const std::string &ProgID() const { return progId_; }
    bool Registered() const { return registered_; }
    // "Not Found" when the ProgID is not registered.
    const std::string &CLSID() const { return clsid_; }
    // The class id's ProgID, server library, version and type library;
    // "[Not Found]" for each that is missing.
    const std::string &ClassProgID() const { return classProgId_; }
    const std::string &InprocServer() const { return inprocServer_; }
    const std::string &Version() const { return version_; }
    const std::string &TypeLib() const { return typeLib_; }

private:
    std::string ReadDefault(const std::string &key, const std::string &missing);

    std::string progId_;
    bool registered_ = false;
    std::string clsid_;
    std::string classProgId_;
    std::string inprocServer_;
    std::string version_;
    std::string typeLib_;
};

// The mobile GIS datastore server.
class TSKWRegistration : public TCOMRegistration {
public:
    TSKWRegistration();
};

// The outside zip component.
class TXceedRegistration : public TCOMRegistration {
public:
    TXceedRegistration();
};
