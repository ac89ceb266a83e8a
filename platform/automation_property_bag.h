// Persistence of an object's properties: a bag of named values (names
// matched without regard to case, kept in the order first written), saved to
// and loaded from bytes, and the exchange that reads or writes a property with
// its default in one call, as a class's persistence routine does.
#pragma once

#include "platform/automation_variant.h"

#include <QByteArray>
#include <string>
#include <string_view>
#include <vector>

class PropertyBag {
public:
    // Only values persist: EMPTY, I2, I4, R4, R8, CY, BSTR and BOOL (a
    // by-reference value is stored as what it refers to). E_INVALIDARG for
    // anything else, the bag unchanged.
    HRESULT Write(std::string_view name, const VARIANT &value);
    // E_INVALIDARG when the name is not in the bag; *out is left as it was.
    HRESULT Read(std::string_view name, VARIANT *out) const;
    bool Contains(std::string_view name) const;
    size_t size() const { return items_.size(); }

    QByteArray Save() const;
    // False for damaged or foreign bytes, and the bag is left as it was.
    bool Load(const QByteArray &bytes);

private:
    struct Item {
        std::string name;
        Variant value;
    };
    std::vector<Item> items_;
};

// One pass of a class's persistence: loading reads each property from the
// bag (the default when it is missing or of a type that does not convert),
// saving writes it.
class PropExchange {
public:
    PropExchange(PropertyBag &bag, bool loading) : bag_(bag), loading_(loading) {}
    bool loading() const { return loading_; }

    void Long(std::string_view name, int32_t &value, int32_t byDefault);
    void Bool(std::string_view name, bool &value, bool byDefault);
    void Double(std::string_view name, double &value, double byDefault);
    void String(std::string_view name, std::string &value, std::string_view byDefault); // Windows-1252
    // The version of the layout, (major << 16) | minor; the current one is
    // written when saving and read back when loading (0 when missing).
    void Version(uint32_t &version, uint32_t current);

private:
    // The bag's value converted to vt; false when missing or not convertible.
    bool Fetch(std::string_view name, VARTYPE vt, Variant *out) const;

    PropertyBag &bag_;
    bool loading_;
};
