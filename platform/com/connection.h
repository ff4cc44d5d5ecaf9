// Events and change notifications: connection points.
//
// An object that fires events is a connection-point container; a client finds the point for an
// interface id, advises its sink there and gets a cookie (from 1 upwards, never reused by one
// point) that unadvises it. Events travel to sinks as dispatch calls (DISPATCH_METHOD with the
// event's DISPID); by-reference arguments let a handler change a value, such as a key code,
// before the firing object reads it back. Property changes travel to IPropertyNotifySink sinks
// as OnChanged(DISPID) (the "bound property changed" signal).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/com/dispatch.h"

namespace com {

class IConnectionPoint : public IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{B196B286-BAB4-101A-B69C-00AA00341D07}");
    virtual HResult GetConnectionInterface(Guid* out) = 0;
    // CONNECT_E_CANNOTCONNECT when the sink lacks the point's interface.
    virtual HResult Advise(IUnknown* sink, std::uint32_t* cookie) = 0;
    // CONNECT_E_NOCONNECTION for a cookie this point did not give or already took back.
    virtual HResult Unadvise(std::uint32_t cookie) = 0;

protected:
    ~IConnectionPoint() = default;
};

class IConnectionPointContainer : public IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{B196B284-BAB4-101A-B69C-00AA00341D07}");
    // CONNECT_E_NOCONNECTION when the object has no point for `iid`.
    virtual HResult FindConnectionPoint(const Guid& iid, IConnectionPoint** out) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

class IPropertyNotifySink : public IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{9BFBBC02-EFF1-101A-84ED-00AA00341D07}");
    virtual HResult OnChanged(DispId id) = 0;
    // S_FALSE refuses the edit.
    virtual HResult OnRequestEdit(DispId id) = 0;

protected:
    ~IPropertyNotifySink() = default;
};

// The server side of one connection point.
class ConnectionPoint final : public Object<ConnectionPoint, IConnectionPoint> {
public:
    // `dispatchSinks`: the interface is a dispinterface, so a sink that answers only IDispatch
    // is accepted too.
    ConnectionPoint(Guid iid, bool dispatchSinks) : iid_(iid), dispatchSinks_(dispatchSinks) {}

    HResult GetConnectionInterface(Guid* out) override;
    HResult Advise(IUnknown* sink, std::uint32_t* cookie) override;
    HResult Unadvise(std::uint32_t cookie) override;

    const Guid& Iid() const { return iid_; }
    // A snapshot of the advised sinks (each as the point's interface), so a sink may unadvise
    // while it is being called.
    std::vector<ComPtr<IUnknown>> Sinks() const;

private:
    Guid iid_;
    bool dispatchSinks_;
    std::uint32_t nextCookie_ = 1;
    std::vector<std::pair<std::uint32_t, ComPtr<IUnknown>>> sinks_;
};

// The connection points of a firing object: its event interface and property notifications.
// The object forwards FindConnectionPoint here.
class EventSource {
public:
    explicit EventSource(const Guid& eventIid);

    HResult FindConnectionPoint(const Guid& iid, IConnectionPoint** out) const;

    // Calls the event on every sink in turn; a sink's failure does not stop the others. By-
    // reference arguments are shared with the sinks, so the caller reads changes after the call.
    void FireEvent(DispId id, std::vector<Variant> args = {}) const;
    // OnChanged(id) on every property-notification sink.
    void BoundPropertyChanged(DispId id) const;
    // False when a property-notification sink refuses the edit.
    bool BoundPropertyRequestEdit(DispId id) const;

private:
    ComPtr<ConnectionPoint> events_;
    ComPtr<ConnectionPoint> notifications_;
};

// Client side: advise `sink` on `source`'s point for `iid`; the status of the first step that
// fails (E_NOINTERFACE when `source` is no container).
HResult AdviseSink(IUnknown* source, const Guid& iid, IUnknown* sink, std::uint32_t* cookie);
HResult UnadviseSink(IUnknown* source, const Guid& iid, std::uint32_t cookie);

}  // namespace com
