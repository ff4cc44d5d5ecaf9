// Connection points: advising and unadvising sinks, events whose handlers change a by-reference
// argument, and property-change notifications.
#include <gtest/gtest.h>

#include "platform/com/connection.h"

namespace com {
namespace {

const Guid kEvents = Guid::FromString("{11111111-2222-3333-4444-555555555555}");
constexpr DispId kChange = 1;

class Source final : public DispatchObject<Source, IConnectionPointContainer> {
public:
    static const DispatchMap& DispatchMembers() {
        static const DispatchTable<Source> t;
        return t.Map();
    }
    HResult FindConnectionPoint(const Guid& iid, IConnectionPoint** out) override {
        return events.FindConnectionPoint(iid, out);
    }
    EventSource events{kEvents};
};

// Handles KeyDown (the key by reference, the shift state) and Change; a handler that swallows
// Enter sets the key to 0.
class KeySink final : public DispatchObject<KeySink> {
public:
    using Args = DispatchTable<KeySink>::Args;
    explicit KeySink(bool swallowEnter, std::vector<std::string>* log, std::string name)
        : DispatchObject({kEvents}), swallowEnter_(swallowEnter), log_(log), name_(std::move(name)) {}

    static const DispatchMap& DispatchMembers() {
        static const DispatchTable<KeySink> t = [] {
            DispatchTable<KeySink> table;
            table.Method("KeyDown", VT_EMPTY, {VT_BYREF | VT_I2, VT_I2}, &KeySink::KeyDown, DISPID_KEYDOWN)
                .Method("Change", VT_EMPTY, {}, &KeySink::Change, kChange);
            return table;
        }();
        return t.Map();
    }

    Variant KeyDown(Args a) {
        std::int16_t& key = *a[0].RefTargetI2();
        log_->push_back(name_ + " key " + std::to_string(key) + " shift " + std::to_string(a[1].AsI2()));
        if (swallowEnter_ && key == 13) key = 0;
        return {};
    }
    Variant Change(Args) {
        log_->push_back(name_ + " change");
        if (onChange) onChange();
        return {};
    }
    std::function<void()> onChange;

private:
    bool swallowEnter_;
    std::vector<std::string>* log_;
    std::string name_;
};

class NotifySink final : public Object<NotifySink, IPropertyNotifySink> {
public:
    HResult OnChanged(DispId id) override {
        changed.push_back(id);
        return S_OK;
    }
    HResult OnRequestEdit(DispId) override { return refuse ? S_FALSE : S_OK; }
    std::vector<DispId> changed;
    bool refuse = false;
};

class Plain final : public Object<Plain, IUnknown> {};

TEST(Events, HandlersChangeTheByReferenceKeyInTurn) {
    auto source = Source::Create();
    std::vector<std::string> log;
    auto first = KeySink::Create(true, &log, "first");
    auto second = KeySink::Create(false, &log, "second");
    std::uint32_t c1 = 0, c2 = 0;
    ASSERT_EQ(AdviseSink(static_cast<IDispatch*>(source.Get()), kEvents, static_cast<IDispatch*>(first.Get()), &c1), S_OK);
    ASSERT_EQ(AdviseSink(static_cast<IDispatch*>(source.Get()), kEvents, static_cast<IDispatch*>(second.Get()), &c2), S_OK);
    EXPECT_EQ(c1, 1u);
    EXPECT_EQ(c2, 2u);

    struct Row {
        std::int16_t key;
        std::int16_t after;
        std::vector<std::string> log;
    };
    const Row rows[] = {
        {13, 0, {"first key 13 shift 2", "second key 0 shift 2"}},
        {65, 65, {"first key 65 shift 2", "second key 65 shift 2"}},
    };
    for (const auto& row : rows) {
        log.clear();
        std::int16_t key = row.key;
        source->events.FireEvent(DISPID_KEYDOWN, {Variant::RefI2(&key), Variant::I2(2)});
        EXPECT_EQ(key, row.after);
        EXPECT_EQ(log, row.log);
    }

    ASSERT_EQ(UnadviseSink(static_cast<IDispatch*>(source.Get()), kEvents, c1), S_OK);
    EXPECT_EQ(UnadviseSink(static_cast<IDispatch*>(source.Get()), kEvents, c1), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(UnadviseSink(static_cast<IDispatch*>(source.Get()), kEvents, 99), CONNECT_E_NOCONNECTION);
    log.clear();
    std::int16_t key = 13;
    source->events.FireEvent(DISPID_KEYDOWN, {Variant::RefI2(&key), Variant::I2(0)});
    EXPECT_EQ(key, 13) << "the unadvised handler no longer runs";
    EXPECT_EQ(log, (std::vector<std::string>{"second key 13 shift 0"}));

    std::uint32_t c3 = 0;
    ASSERT_EQ(AdviseSink(static_cast<IDispatch*>(source.Get()), kEvents, static_cast<IDispatch*>(first.Get()), &c3), S_OK);
    EXPECT_EQ(c3, 3u) << "cookies are not reused";
}

TEST(Events, SinkMayUnadviseWhileItIsCalled) {
    auto source = Source::Create();
    std::vector<std::string> log;
    auto a = KeySink::Create(false, &log, "a");
    auto b = KeySink::Create(false, &log, "b");
    std::uint32_t ca = 0, cb = 0;
    AdviseSink(static_cast<IDispatch*>(source.Get()), kEvents, static_cast<IDispatch*>(a.Get()), &ca);
    AdviseSink(static_cast<IDispatch*>(source.Get()), kEvents, static_cast<IDispatch*>(b.Get()), &cb);
    a->onChange = [&] { UnadviseSink(static_cast<IDispatch*>(source.Get()), kEvents, ca); };
    source->events.FireEvent(kChange);
    source->events.FireEvent(kChange);
    EXPECT_EQ(log, (std::vector<std::string>{"a change", "b change", "b change"}));
}

TEST(Events, WhichSinksAPointTakes) {
    auto source = Source::Create();
    auto plain = Plain::Create();
    std::vector<std::string> log;
    auto dispatchOnly = KeySink::Create(false, &log, "d");
    auto notify = NotifySink::Create();
    IUnknown* src = static_cast<IDispatch*>(source.Get());
    struct Row {
        const char* name;
        Guid iid;
        IUnknown* sink;
        HResult expected;
    };
    const Row rows[] = {
        {"events take a dispatch sink", kEvents, static_cast<IDispatch*>(dispatchOnly.Get()), S_OK},
        {"events refuse a sink without dispatch", kEvents, plain.Get(), CONNECT_E_CANNOTCONNECT},
        {"notifications take a notification sink", IPropertyNotifySink::kIid, notify.Get(), S_OK},
        {"notifications refuse a dispatch sink", IPropertyNotifySink::kIid, static_cast<IDispatch*>(dispatchOnly.Get()), CONNECT_E_CANNOTCONNECT},
        {"no point for another interface", IDispatch::kIid, notify.Get(), CONNECT_E_NOCONNECTION},
        {"no container", kEvents, nullptr, E_POINTER},
    };
    for (const auto& row : rows) {
        std::uint32_t cookie = 0;
        EXPECT_EQ(AdviseSink(src, row.iid, row.sink, &cookie), row.expected) << row.name;
    }
    std::uint32_t cookie = 0;
    EXPECT_EQ(AdviseSink(plain.Get(), kEvents, static_cast<IDispatch*>(dispatchOnly.Get()), &cookie), E_NOINTERFACE);

    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(source->FindConnectionPoint(kEvents, point.Put()), S_OK);
    Guid iid;
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, kEvents);
}

TEST(Events, BoundPropertyChangedReachesNotificationSinks) {
    auto source = Source::Create();
    auto notify = NotifySink::Create();
    std::uint32_t cookie = 0;
    ASSERT_EQ(AdviseSink(static_cast<IDispatch*>(source.Get()), IPropertyNotifySink::kIid, notify.Get(), &cookie), S_OK);
    source->events.BoundPropertyChanged(DISPID_TEXT);
    source->events.BoundPropertyChanged(20);
    EXPECT_EQ(notify->changed, (std::vector<DispId>{DISPID_TEXT, 20}));
    EXPECT_TRUE(source->events.BoundPropertyRequestEdit(DISPID_TEXT));
    notify->refuse = true;
    EXPECT_FALSE(source->events.BoundPropertyRequestEdit(DISPID_TEXT));
}

TEST(Events, UnadviseReleasesTheSink) {
    auto source = Source::Create();
    auto notify = NotifySink::Create();
    std::uint32_t cookie = 0;
    AdviseSink(static_cast<IDispatch*>(source.Get()), IPropertyNotifySink::kIid, notify.Get(), &cookie);
    EXPECT_EQ(notify->AddRef(), 3u) << "held by the test and by the point";
    notify->Release();
    UnadviseSink(static_cast<IDispatch*>(source.Get()), IPropertyNotifySink::kIid, cookie);
    EXPECT_EQ(notify->AddRef(), 2u);
    notify->Release();
}

}  // namespace
}  // namespace com
