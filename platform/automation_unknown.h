// Reference-counted objects with interface ids: the result codes, IUnknown,
// and ComObject, which gives a class its reference count and QueryInterface
// over the interfaces it lists.
#pragma once

#include "platform/automation_guid.h"
#include "platform/types.h"

#include <atomic>
#include <tuple>
#include <utility>

using HRESULT = int32_t;
using SCODE = int32_t;

constexpr HRESULT MakeHresult(uint32_t value) { return HRESULT(value); }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeHresult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = MakeHresult(0x80004002);
inline constexpr HRESULT E_POINTER = MakeHresult(0x80004003);
inline constexpr HRESULT E_UNEXPECTED = MakeHresult(0x8000FFFF);
inline constexpr HRESULT E_FAIL = MakeHresult(0x80004005);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = MakeHresult(0x80070057);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHresult(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHresult(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHresult(0x80040154);
inline constexpr HRESULT CO_E_CLASSSTRING = MakeHresult(0x800401F3);
inline constexpr HRESULT CO_E_DLLNOTFOUND = MakeHresult(0x800401F8);
inline constexpr HRESULT CO_E_ERRORINDLL = MakeHresult(0x800401F9);
inline constexpr HRESULT SELFREG_E_TYPELIB = MakeHresult(0x80040200);
inline constexpr HRESULT SELFREG_E_CLASS = MakeHresult(0x80040201);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = MakeHresult(0x80040200);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = MakeHresult(0x80040202);

class IUnknown {
public:
    static constexpr IID kIid = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    // S_OK with one more reference in *out, or E_NOINTERFACE with *out null.
    virtual HRESULT QueryInterface(const IID &iid, void **out) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

// A class implementing the interfaces listed (each derived from IUnknown and
// naming its id as kIid). The count starts at 1: the maker holds the first
// reference. A class answers further ids by overriding FindInterface.
template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() = default;
    ComObject(const ComObject &) = delete;
    ComObject &operator=(const ComObject &) = delete;

    HRESULT QueryInterface(const IID &iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        *out = iid == IUnknown::kIid ? static_cast<void *>(Identity()) : FindInterface(iid);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    uint32_t AddRef() override { return ++refs_; }
    uint32_t Release() override
    {
        const uint32_t left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    // The one IUnknown that names this object (that of the first interface).
    IUnknown *Identity() { return static_cast<IUnknown *>(static_cast<FirstInterface *>(this)); }

protected:
    ~ComObject() override = default;

    virtual void *FindInterface(const IID &iid)
    {
        void *found = nullptr;
        ((found = found ? found : iid == Interfaces::kIid ? static_cast<Interfaces *>(this) : nullptr), ...);
        return found;
    }

private:
    using FirstInterface = std::tuple_element_t<0, std::tuple<Interfaces...>>;
    std::atomic<uint32_t> refs_{1};
};

// Holds one reference and releases it when it goes.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    static ComPtr Adopt(T *p)
    {
        ComPtr r;
        r.p_ = p;
        return r;
    }
    // Adds a reference of its own.
    explicit ComPtr(T *p) : p_(p)
    {
        if (p_)
            p_->AddRef();
    }
    ComPtr(const ComPtr &o) : ComPtr(o.p_) {}
    ComPtr(ComPtr &&o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    ComPtr &operator=(ComPtr o) noexcept
    {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr()
    {
        if (p_)
            p_->Release();
    }
    T *get() const { return p_; }
    T *operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: releases what was held.
    T **put()
    {
        *this = ComPtr();
        return &p_;
    }
    void **putVoid() { return reinterpret_cast<void **>(put()); }
    T *detach()
    {
        T *p = p_;
        p_ = nullptr;
        return p;
    }

private:
    T *p_ = nullptr;
};
