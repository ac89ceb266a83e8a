#include "platform/automation_enum.h"

VariantEnumerator::VariantEnumerator(std::shared_ptr<const EnumSource> source, size_t position)
    : source_(std::move(source)), position_(position)
{
}

VariantEnumerator::~VariantEnumerator() = default;

HRESULT VariantEnumerator::Next(ULONG count, VARIANT *items, ULONG *fetched)
{
    if (fetched)
        *fetched = 0;
    if (count > 0 && !items)
        return E_POINTER;
    if (count > 1 && !fetched)
        return E_POINTER; // the caller could not tell how many came
    ULONG n = 0;
    while (n < count && position_ < source_->Count()) {
        VariantInit(&items[n]);
        if (HRESULT hr = source_->Item(position_, &items[n]); FAILED(hr)) {
            for (ULONG i = 0; i < n; ++i)
                VariantClear(&items[i]);
            position_ -= n; // nothing was handed out
            return hr;
        }
        ++position_;
        ++n;
    }
    if (fetched)
        *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

HRESULT VariantEnumerator::Skip(ULONG count)
{
    const size_t left = source_->Count() - std::min(position_, source_->Count());
    position_ += std::min<size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
}

HRESULT VariantEnumerator::Reset()
{
    position_ = 0;
    return S_OK;
}

HRESULT VariantEnumerator::Clone(IEnumVARIANT **out)
{
    if (!out)
        return E_POINTER;
    *out = new VariantEnumerator(source_, position_);
    return S_OK;
}
