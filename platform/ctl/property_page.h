// The base of a property page: a page of fields, each bound to a property of the controls the
// page edits, with the platform's transfer and validation rules.
//
// Contract:
//   - Fields are bound once (BindText, BindCheck, BindListIndex), each to a property name; the
//     page reaches every selected object by dispatch with that name.
//   - Load (UpdateData(false)) fills every field from the first object; a property it cannot read
//     leaves the field as it is. Loading clears the fields' changed marks and the page's
//     modified flag.
//   - An edit by the user marks the field changed and the page modified, unless the field is
//     excluded from Apply (IgnoreApply).
//   - Apply (UpdateData(true)) first validates every field (maximum length, integer range, then
//     the page's own checks); the first failure shows the platform's message, puts the focus on
//     the field and selects its text, and nothing is written. Then every changed field is written to every object; an error
//     raised by an object is shown with its description and stops the transfer there (the
//     fields not yet written keep their marks). Success clears the marks and the modified flag.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/unknown.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace ctl {

class PropertyPage : public QWidget {
public:
    PropertyPage(std::string captionUtf8, std::string helpFile, std::uint32_t helpContext,
                 QWidget* parent = nullptr);
    ~PropertyPage() override;

    const std::string& Caption() const { return caption_; }
    const std::string& HelpFile() const { return helpFile_; }
    std::uint32_t HelpContext() const { return helpContext_; }

    // The objects the page edits; loads the fields from the first.
    void SetObjects(std::vector<com::ComPtr<com::IDispatch>> objects);
    const std::vector<com::ComPtr<com::IDispatch>>& Objects() const { return objects_; }

    // Text fields transfer as `type` (a text, or a number written as decimal text).
    void BindText(QLineEdit* edit, std::string property, com::VarType type = com::VT_BSTR);
    void BindCheck(QCheckBox* check, std::string property);
    void BindListIndex(QComboBox* combo, std::string property);
    void ValidateMaxChars(QLineEdit* edit, int maxChars);
    void ValidateRange(QLineEdit* edit, long minimum, long maximum);
    void IgnoreApply(QWidget* field);
    // Marks a field changed (so that Apply writes it), as when code set its value.
    void SetControlStatus(QWidget* field, bool changed);
    bool ControlStatus(QWidget* field) const;

    bool UpdateData(bool saveAndValidate);
    bool Apply() { return UpdateData(true); }
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true);
    // Called whenever the modified flag changes (the sheet enables its Apply button).
    void SetModifiedListener(std::function<void(bool)> listener) { onModified_ = std::move(listener); }

    // Opens the page's help at its context.
    virtual void OnHelp();

protected:
    // After the objects changed and the fields were loaded (a page fills its lists here).
    virtual void OnObjectsChanged() {}
    // A page's own transfers beside the bound fields: loading from the objects, and writing
    // to them after the bound fields were written (false stops the Apply).
    virtual void OnLoadFields() {}
    // A page's own checks of its fields, run after the bound fields' validation and before
    // anything is written (false stops the Apply; the page shows its error with ShowError).
    virtual bool OnValidateFields() { return true; }
    virtual bool OnApplyFields() { return true; }
    // Reads the property `name` of `object`; false when it has none or the read fails.
    static bool ReadFrom(com::IDispatch* object, const std::string& name, com::Variant& out);
    // Reports an error of a page's own transfer as Apply reports a field's.
    void ShowError(QWidget* field, const std::string& messageUtf8);
    // Writes `value` to the property `name` of every object that has it; false (after showing
    // the object's error) at the first failure.
    bool WriteToAll(const std::string& name, const com::Variant& value, QWidget* field, bool byRef = false);

private:
    enum class Kind { Text, Check, ListIndex };
    struct Field {
        QWidget* widget = nullptr;
        std::string property;
        Kind kind = Kind::Text;
        com::VarType type = com::VT_BSTR;
        std::optional<int> maxChars;
        std::optional<std::pair<long, long>> range;
        bool changed = false;
        bool ignoreApply = false;
    };

    Field* FieldOf(QWidget* widget);
    const Field* FieldOf(QWidget* widget) const;
    Field& Add(QWidget* widget, std::string property, Kind kind, com::VarType type);
    void Edited(QWidget* widget);
    void Load();
    bool Validate(const Field& f);
    bool Write(Field& f);
    com::Variant ValueOf(const Field& f) const;
    void Show(const Field& f, const com::Variant& v);

    std::string caption_;
    std::string helpFile_;
    std::uint32_t helpContext_;
    std::vector<com::ComPtr<com::IDispatch>> objects_;
    std::vector<Field> fields_;
    bool modified_ = false;
    bool loading_ = false;
    std::function<void(bool)> onModified_;
};

// What a page's class id creates: a class object that makes the page itself. A property frame
// creates it by class id through the component layer (the library that serves the page, or the
// platform for its stock pages) and asks it for a page.
class IPropertyPageClass : public com::IUnknown {
public:
    static inline const com::Guid kIid = com::Guid::FromString("{5A7C0101-3C1E-4F00-9D00-0000005A7E01}");

    // A new page, not yet given any objects; the caller owns it.
    virtual std::unique_ptr<PropertyPage> CreatePage() = 0;

protected:
    ~IPropertyPageClass() = default;
};

// The page of class `clsid`, made through its class object; null (and the status in *hr when
// given) when the class cannot be created.
std::unique_ptr<PropertyPage> CreatePropertyPage(const com::Guid& clsid, com::HResult* hr = nullptr);

}  // namespace ctl
