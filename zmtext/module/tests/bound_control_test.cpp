// A bound control built on ZMBoundControl: the host reaches its binding interfaces through the
// control's own QueryInterface, and binding takes the cursor from the control's client site.
#include <gtest/gtest.h>

#include "platform/ctl/control.h"
#include "zmtext/module/bound_control.h"
#include "platform/ctl/tests/support/app.h"
#include "zmtext/module/tests/fake_cursor.h"

namespace zmtext {
namespace {

using namespace com;

const Guid kDispIid = Guid::FromString("{6C7A1003-0000-4000-8000-00000000B0DE}");

ctl::ControlClassInfo NumberClass() {
    ctl::ControlClassInfo info;
    info.clsid = Guid::FromString("{6C7A1002-0000-4000-8000-00000000B0DE}");
    info.dispIid = kDispIid;
    info.eventIid = Guid::FromString("{6C7A1004-0000-4000-8000-00000000B0DE}");
    info.stockProperties = ctl::kStockText;
    return info;
}

class BoundNumber final : public ZMBoundControl<BoundNumber> {
public:
    BoundNumber() : ZMBoundControl(NumberClass()) {}
    static const DispatchMap& DispatchMembers() {
        static const DispatchTable<BoundNumber> table = [] {
            DispatchTable<BoundNumber> t("BoundNumber");
            ctl::AddStockMembers(t, ctl::kStockText);
            return t;
        }();
        return table.Map();
    }

    Bstr GetDataField() override { return Bstr::FromAnsi("NOME"); }
    ICursor* GetCursor() override { return cursor_.Get(); }
    void SetCursor(ICursor* c) override { cursor_ = ComPtr<ICursor>(c); }
    Bstr GetBoundText() override { return Bstr::FromAnsi(InternalGetText()); }
    void SetBoundText(const std::string& t) override { SetText(t); }

private:
    ComPtr<ICursor> cursor_;
};

TEST(BoundControl, BindsThroughItsClientSiteAndAnswersTheBindingInterfaces) {
    ctl::testing::App();
    auto source = std::make_shared<testing::Source>();
    source->columns = {"Codigo", "Nome"};
    source->rows = {{Variant::I4(1), Variant::Utf8("Centro")}, {Variant::I4(2), Variant::Utf8("Norte")}};
    auto cursor = testing::Cursor::Create(source, false, 0);
    auto site = testing::BindingSite::Create(ComPtr<ICursor>(static_cast<ICursor*>(static_cast<ICursorMove*>(cursor.Get()))));

    auto control = BoundNumber::Create();
    EXPECT_FALSE(ZMModuleState().CanUnload()) << "a live control keeps the library loaded";
    ComPtr<IDispatch> dispatch(static_cast<IDispatch*>(control.Get()));
    ASSERT_EQ(dispatch.As<ctl::IControl>()->SetClientSite(site.Get()), S_OK);
    auto bound = dispatch.As<IBoundObject>();
    ASSERT_TRUE(bound);
    EXPECT_TRUE(dispatch.As<INotifyDBEvents>());
    EXPECT_TRUE(dispatch.As<IConnectionPointContainer>()) << "the control's own interfaces stay";
    ComPtr<IDispatch> viaDispInterface;
    EXPECT_EQ(dispatch->QueryInterface(kDispIid, viaDispInterface.PutVoid()), S_OK);

    bool owner = false;
    ASSERT_EQ(bound->OnSourceChanged(5, true, &owner), S_OK);
    EXPECT_TRUE(owner);
    EXPECT_EQ(GetProperty(dispatch.Get(), DISPID_TEXT), Variant::Utf8("Centro"));
    source->MoveTo(1);
    EXPECT_EQ(GetProperty(dispatch.Get(), DISPID_TEXT), Variant::Utf8("Norte"));

    bound->OnSourceChanged(5, false, &owner);
    EXPECT_FALSE(control->IsAdvised());
    dispatch.As<ctl::IControl>()->SetClientSite(nullptr);
    bound.Reset();
    viaDispInterface.Reset();
    dispatch.Reset();
    control.Reset();
    EXPECT_TRUE(ZMModuleState().CanUnload());
}

}  // namespace
}  // namespace zmtext
