// Connection points: how an object tells its sinks about events and property
// changes. A sink is advised with a cookie and unadvised by it; a fire calls
// the sinks in the order they were advised, on the caller's thread, and stays
// safe when a sink unadvises itself or another, advises a new one (called from
// the next fire on) or fires again from inside its call.
#pragma once

#include "platform/automation_unknown.h"

#include <memory>
#include <mutex>
#include <span>
#include <vector>

class IDispatch;
struct VARIANT;
class Variant;
using DISPID = int32_t;

class IConnectionPoint : public IUnknown {
public:
    static constexpr IID kIid = {
        0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
    virtual HRESULT GetConnectionInterface(IID *iid) = 0;
    // CONNECT_E_CANNOTCONNECT when the sink lacks the interface.
    virtual HRESULT Advise(IUnknown *sink, DWORD *cookie) = 0;
    // CONNECT_E_NOCONNECTION for a cookie not advised.
    virtual HRESULT Unadvise(DWORD cookie) = 0;
};

class IConnectionPointContainer : public IUnknown {
public:
    static constexpr IID kIid = {
        0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
    // CONNECT_E_NOCONNECTION when the object has no such outgoing interface.
    virtual HRESULT FindConnectionPoint(const IID &iid, IConnectionPoint **out) = 0;
};

// The sink of property-change notices.
class IPropertyNotifySink : public IUnknown {
public:
    static constexpr IID kIid = {
        0x9BFBBC02, 0xEFF1, 0x101A, {0x84, 0xED, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
    virtual HRESULT OnChanged(DISPID id) = 0;
    // S_FALSE refuses the change.
    virtual HRESULT OnRequestEdit(DISPID id) = 0;
};

// One outgoing interface of an object. It lives inside its owner and counts
// its references on the owner.
class ConnectionPoint : public IConnectionPoint {
public:
    ConnectionPoint(IUnknown *owner, const IID &iid);
    ~ConnectionPoint() override;

    HRESULT QueryInterface(const IID &iid, void **out) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    HRESULT GetConnectionInterface(IID *iid) override;
    HRESULT Advise(IUnknown *sink, DWORD *cookie) override;
    HRESULT Unadvise(DWORD cookie) override;

    const IID &iid() const { return iid_; }
    size_t sinkCount() const;
    // Calls `call` on every sink advised when the fire starts and still
    // advised when its turn comes, each held by a reference of its own.
    template <class Call>
    void ForEachSink(Call call)
    {
        for (const Sink &s : Snapshot())
            if (IsAdvised(s.cookie))
                call(s.sink.get());
    }

    // Events: the dispatch sinks' method `id` with the arguments in natural
    // order; results and failures of sinks are ignored.
    void FireEvent(DISPID id, std::span<const Variant> args = {});
    // Property notices (on a connection of IPropertyNotifySink).
    void FireOnChanged(DISPID id);
    // False when a sink refuses.
    bool FireOnRequestEdit(DISPID id);

private:
    struct Sink {
        DWORD cookie;
        ComPtr<IUnknown> sink; // the interface of iid_
    };
    std::vector<Sink> Snapshot() const;
    bool IsAdvised(DWORD cookie) const;

    IUnknown *owner_;
    IID iid_;
    mutable std::mutex mutex_;
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
};

// The connection points of one object, found by interface id.
class ConnectionPointList {
public:
    explicit ConnectionPointList(IUnknown *owner) : owner_(owner) {}
    ConnectionPoint &Add(const IID &iid);
    ConnectionPoint *Find(const IID &iid) const;
    bool empty() const { return points_.empty(); }

private:
    IUnknown *owner_;
    std::vector<std::unique_ptr<ConnectionPoint>> points_;
};
