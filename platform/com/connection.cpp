#include "platform/com/connection.h"

#include <algorithm>

namespace com {

HResult ConnectionPoint::GetConnectionInterface(Guid* out) {
    if (!out) return E_POINTER;
    *out = iid_;
    return S_OK;
}

HResult ConnectionPoint::Advise(IUnknown* sink, std::uint32_t* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    ComPtr<IUnknown> target;
    if (Failed(sink->QueryInterface(iid_, target.PutVoid())) &&
        (!dispatchSinks_ || Failed(sink->QueryInterface(IDispatch::kIid, target.PutVoid()))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, std::move(target));
    return S_OK;
}

HResult ConnectionPoint::Unadvise(std::uint32_t cookie) {
    const auto it = std::find_if(sinks_.begin(), sinks_.end(),
                                 [cookie](const auto& s) { return s.first == cookie; });
    if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
    sinks_.erase(it);
    return S_OK;
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
    std::vector<ComPtr<IUnknown>> out;
    out.reserve(sinks_.size());
    for (const auto& s : sinks_) out.push_back(s.second);
    return out;
}

EventSource::EventSource(const Guid& eventIid)
    : events_(ConnectionPoint::Create(eventIid, true)),
      notifications_(ConnectionPoint::Create(IPropertyNotifySink::kIid, false)) {}

HResult EventSource::FindConnectionPoint(const Guid& iid, IConnectionPoint** out) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (ConnectionPoint* point : {events_.Get(), notifications_.Get()})
        if (point->Iid() == iid)
            return ReturnInterface(static_cast<IConnectionPoint*>(point), reinterpret_cast<void**>(out));
    return CONNECT_E_NOCONNECTION;
}

void EventSource::FireEvent(DispId id, std::vector<Variant> args) const {
    for (const auto& sink : events_->Sinks()) {
        // Sinks were stored as the event interface or IDispatch, both dispatch interfaces.
        auto* target = static_cast<IDispatch*>(sink.Get());
        DispParams params{args};
        target->Invoke(id, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
    }
}

void EventSource::BoundPropertyChanged(DispId id) const {
    for (const auto& sink : notifications_->Sinks())
        static_cast<IPropertyNotifySink*>(sink.Get())->OnChanged(id);
}

bool EventSource::BoundPropertyRequestEdit(DispId id) const {
    for (const auto& sink : notifications_->Sinks())
        if (static_cast<IPropertyNotifySink*>(sink.Get())->OnRequestEdit(id) == S_FALSE)
            return false;
    return true;
}

namespace {

HResult FindPoint(IUnknown* source, const Guid& iid, ComPtr<IConnectionPoint>& point) {
    if (!source) return E_POINTER;
    ComPtr<IConnectionPointContainer> container;
    const HResult hr = source->QueryInterface(IConnectionPointContainer::kIid, container.PutVoid());
    if (Failed(hr)) return hr;
    return container->FindConnectionPoint(iid, point.Put());
}

}  // namespace

HResult AdviseSink(IUnknown* source, const Guid& iid, IUnknown* sink, std::uint32_t* cookie) {
    ComPtr<IConnectionPoint> point;
    if (const HResult hr = FindPoint(source, iid, point); Failed(hr)) return hr;
    return point->Advise(sink, cookie);
}

HResult UnadviseSink(IUnknown* source, const Guid& iid, std::uint32_t cookie) {
    ComPtr<IConnectionPoint> point;
    if (const HResult hr = FindPoint(source, iid, point); Failed(hr)) return hr;
    return point->Unadvise(cookie);
}

}  // namespace com
