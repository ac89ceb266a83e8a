#include "platform/automation_connection.h"

#include "platform/automation_dispatch.h"

ConnectionPoint::ConnectionPoint(IUnknown *owner, const IID &iid) : owner_(owner), iid_(iid) {}

ConnectionPoint::~ConnectionPoint() = default;

HRESULT ConnectionPoint::QueryInterface(const IID &iid, void **out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!(iid == IUnknown::kIid) && !(iid == IConnectionPoint::kIid))
        return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint *>(this);
    AddRef();
    return S_OK;
}

uint32_t ConnectionPoint::AddRef() { return owner_->AddRef(); }
uint32_t ConnectionPoint::Release() { return owner_->Release(); }

HRESULT ConnectionPoint::GetConnectionInterface(IID *iid)
{
    if (!iid)
        return E_POINTER;
    *iid = iid_;
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown *sink, DWORD *cookie)
{
    if (!sink || !cookie)
        return E_POINTER;
    void *wanted = nullptr;
    if (FAILED(sink->QueryInterface(iid_, &wanted)) || !wanted)
        return CONNECT_E_CANNOTCONNECT;
    // A sink of events may offer only IDispatch for its event interface.
    std::lock_guard lock(mutex_);
    *cookie = nextCookie_++;
    sinks_.push_back({*cookie, ComPtr<IUnknown>::Adopt(static_cast<IUnknown *>(wanted))});
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie)
{
    ComPtr<IUnknown> gone; // released after the lock
    {
        std::lock_guard lock(mutex_);
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it)
            if (it->cookie == cookie) {
                gone = std::move(it->sink);
                sinks_.erase(it);
                break;
            }
    }
    return gone ? S_OK : CONNECT_E_NOCONNECTION;
}

size_t ConnectionPoint::sinkCount() const
{
    std::lock_guard lock(mutex_);
    return sinks_.size();
}

std::vector<ConnectionPoint::Sink> ConnectionPoint::Snapshot() const
{
    std::lock_guard lock(mutex_);
    return sinks_;
}

bool ConnectionPoint::IsAdvised(DWORD cookie) const
{
    std::lock_guard lock(mutex_);
    for (const Sink &s : sinks_)
        if (s.cookie == cookie)
            return true;
    return false;
}

void ConnectionPoint::FireEvent(DISPID id, std::span<const Variant> args)
{
    ForEachSink([&](IUnknown *sink) {
        // The sink was asked for iid_ at Advise; an event interface is a
        // dispatch interface, so the pointer is an IDispatch.
        auto *d = static_cast<IDispatch *>(sink);
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.data(), nullptr, UINT(reversed.size()), 0};
        Variant ignored;
        d->Invoke(id, DISPATCH_METHOD, params, &ignored, nullptr, nullptr);
    });
}

void ConnectionPoint::FireOnChanged(DISPID id)
{
    ForEachSink([&](IUnknown *sink) { static_cast<IPropertyNotifySink *>(sink)->OnChanged(id); });
}

bool ConnectionPoint::FireOnRequestEdit(DISPID id)
{
    bool allowed = true;
    ForEachSink([&](IUnknown *sink) {
        if (allowed && static_cast<IPropertyNotifySink *>(sink)->OnRequestEdit(id) == S_FALSE)
            allowed = false;
    });
    return allowed;
}

ConnectionPoint &ConnectionPointList::Add(const IID &iid)
{
    if (ConnectionPoint *p = Find(iid))
        return *p;
    points_.push_back(std::make_unique<ConnectionPoint>(owner_, iid));
    return *points_.back();
}

ConnectionPoint *ConnectionPointList::Find(const IID &iid) const
{
    for (const auto &p : points_)
        if (p->iid() == iid)
            return p.get();
    return nullptr;
}
