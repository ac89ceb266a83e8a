// IEnumVARIANT: the enumerator a collection hands out for _NewEnum. Its
// items come from a source shared by the collection and every enumerator
// cloned from it; each enumerator keeps its own position.
#pragma once

#include "platform/automation_variant.h"

#include <memory>
#include <vector>

using ULONG = uint32_t;

class IEnumVARIANT : public IUnknown {
public:
    static constexpr IID kIid = {0x00020404, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    // Up to count items into items[0..]; S_FALSE when fewer were left.
    // fetched may be null.
    virtual HRESULT Next(ULONG count, VARIANT *items, ULONG *fetched) = 0;
    // S_FALSE when fewer than count were left to skip.
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumVARIANT **out) = 0;
};

// What an enumerator walks: a fixed number of items, each made on demand.
class EnumSource {
public:
    virtual ~EnumSource() = default;
    virtual size_t Count() const = 0;
    // Fills the EMPTY *out with item `index`.
    virtual HRESULT Item(size_t index, VARIANT *out) const = 0;
};

// A source of values held in a vector.
class VariantListSource : public EnumSource {
public:
    explicit VariantListSource(std::vector<Variant> items) : items_(std::move(items)) {}
    size_t Count() const override { return items_.size(); }
    HRESULT Item(size_t index, VARIANT *out) const override { return VariantCopy(out, &items_.at(index)); }

private:
    std::vector<Variant> items_;
};

class VariantEnumerator : public ComObject<IEnumVARIANT> {
public:
    explicit VariantEnumerator(std::shared_ptr<const EnumSource> source, size_t position = 0);

    HRESULT Next(ULONG count, VARIANT *items, ULONG *fetched) override;
    HRESULT Skip(ULONG count) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumVARIANT **out) override;

protected:
    ~VariantEnumerator() override;

private:
    std::shared_ptr<const EnumSource> source_;
    size_t position_;
};
