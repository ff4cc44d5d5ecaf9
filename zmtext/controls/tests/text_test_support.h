// The text field's tests: controls in a container over a top-level widget, and members reached
// by name through the dispatch interface as a host reaches them.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/ctl/control_site.h"
#include "platform/win/cp1252.h"
#include "zmtext/controls/text_ctrl.h"
#include "zmtext/engine/tests/engine_test_app.h"

namespace zmtext::testing {

struct CallResult {
    com::HResult hr = com::S_OK;
    com::ExcepInfo excep;
};

inline CallResult PutProperty(com::IDispatch* d, std::string_view name, com::Variant value) {
    CallResult r;
    com::DispId id = 0;
    r.hr = d->GetIDsOfNames(name, &id);
    if (com::Failed(r.hr)) return r;
    com::DispParams params{{std::move(value)}};
    r.hr = d->Invoke(id, com::DISPATCH_PROPERTYPUT, params, nullptr, &r.excep, nullptr);
    return r;
}

inline com::Variant GetProperty(com::IDispatch* d, std::string_view name) {
    com::DispId id = 0;
    com::Variant out;
    if (com::Failed(d->GetIDsOfNames(name, &id))) return out;
    com::DispParams none;
    d->Invoke(id, com::DISPATCH_PROPERTYGET, none, &out, nullptr, nullptr);
    return out;
}

// The value as a text for table comparisons ("True", "-1", "abc").
inline std::string Shown(const com::Variant& v) {
    if (v.BaseType() == com::VT_BOOL) return v.AsBool() ? "True" : "False";
    com::Variant s;
    if (com::Failed(com::ChangeType(s, v, com::VT_BSTR))) return "(error)";
    return s.AsStr().ToUtf8();
}

class TextControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        EngineTestApp();
        top_ = std::make_unique<QWidget>();
        top_->resize(400, 200);
        container_ = std::make_unique<ctl::ControlContainer>(top_.get());
        container_->SetEventHandler([this](ctl::ControlSite& s, com::DispId id, std::span<com::Variant> args) {
            std::string e = s.Name() + ":" + std::to_string(id);
            if (id == kTextInvalid && !args.empty()) e += "(" + Shown(args[0]) + ")";
            events_.push_back(e);
        });
    }
    void TearDown() override {
        container_.reset();
        top_.reset();
    }

    // A new text field named `name` in row `row` (its saved properties when `saved` is given).
    com::ComPtr<CZMTextCtrl> Add(const std::string& name, int row = 0, const com::PropertyBag* saved = nullptr) {
        auto control = CZMTextCtrl::Create();
        ctl::ControlSite* site = nullptr;
        EXPECT_EQ(container_->AddControl(com::ComPtr<ctl::IControl>(control), name,
                                         {10, 10 + 30 * row, 210, 34 + 30 * row}, saved, &site),
                  com::S_OK);
        sites_.push_back(site);
        return control;
    }
    void Show() {
        top_->show();
        top_->activateWindow();
        QApplication::processEvents();
    }
    void Focus(int i) {
        ASSERT_TRUE(sites_.at(static_cast<std::size_t>(i))->SetFocus());
        QApplication::processEvents();
    }
    // Types `text` into field `i` through Qt key events (cp1252 bytes).
    void Type(int i, std::string_view text) {
        QWidget* w = sites_.at(static_cast<std::size_t>(i))->Widget();
        for (char c : text) {
            const QChar ch(static_cast<char16_t>(win::Cp1252ToUnicode(static_cast<unsigned char>(c))));
            const QString s(ch);
            const int key = ch.toUpper().unicode();   // Qt names a printable key by its upper case
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, s);
            QApplication::sendEvent(w, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, s);
            QApplication::sendEvent(w, &release);
        }
    }
    void Key(int i, Qt::Key key) {
        QWidget* w = sites_.at(static_cast<std::size_t>(i))->Widget();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(w, &release);
    }
    static std::string Text(CZMTextCtrl& c) { return Shown(GetProperty(&c, "Text")); }
    static std::string Raw(CZMTextCtrl& c) { return Shown(GetProperty(&c, "RawData")); }
    static void Put(CZMTextCtrl& c, std::string_view name, com::Variant v) {
        const CallResult r = PutProperty(&c, name, std::move(v));
        EXPECT_EQ(r.hr, com::S_OK) << name << " " << r.excep.description;
    }
    static com::Variant S(const char* utf8) { return com::Variant::Utf8(utf8); }

    std::unique_ptr<QWidget> top_;
    std::unique_ptr<ctl::ControlContainer> container_;
    std::vector<ctl::ControlSite*> sites_;
    std::vector<std::string> events_;
};

}  // namespace zmtext::testing
