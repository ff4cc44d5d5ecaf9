// What the property pages' tests share: an edit as the user makes it, the row of a table that
// takes a page field through Apply, and a page made by its class as a container makes it.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <memory>
#include <string>

#include "platform/ctl/property_page.h"
#include "zmtext/module/classes.h"
#include "zmtext/pages/page_class.h"

namespace zmtext::testing {

// An edit as the user makes it: the text, then the edit signal the page listens to.
inline void UserEdit(QLineEdit* edit, const char* text) {
    edit->setText(QString::fromUtf8(text));
    emit edit->textEdited(edit->text());
}

struct FieldRow {
    int item;
    const char* value;      // an edit's text, "1"/"0" for a check box, the index of a list
    const char* property;
    const char* expected;   // what the controls then report
};

// The page the library's page class `clsid` makes (null, and a failure, when there is none).
inline std::unique_ptr<ctl::PropertyPage> PageOfClass(const com::Guid& clsid) {
    const ZMPageFactory* factory = nullptr;
    for (const auto& p : ZMFactories().pages)
        if (p.clsid == clsid) factory = &p;
    if (!factory) {
        ADD_FAILURE() << "no page class " << clsid.ToString();
        return nullptr;
    }
    com::ComPtr<ctl::IPropertyPageClass> cls;
    EXPECT_EQ(factory->create(ctl::IPropertyPageClass::kIid, cls.PutVoid()), com::S_OK);
    return cls ? cls->CreatePage() : nullptr;
}

// The page of class `clsid` with its caption and its help.
inline void ExpectPageClass(const com::Guid& clsid, const std::string& caption, std::uint32_t help) {
    const auto page = PageOfClass(clsid);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Caption(), caption);
    EXPECT_EQ(page->HelpFile(), "ZMTEXT.HLP");
    EXPECT_EQ(page->HelpContext(), help);
}

}  // namespace zmtext::testing
