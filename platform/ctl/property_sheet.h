// A minimal property-sheet frame and the stock colour, font and picture pages.
//
// The stock pages are the platform's own classes: their class ids create them through the
// component layer (com::CreateInstance, CreatePropertyPage) in every process that loads this
// library, without any registration, so a control lists them among its pages by class id.
//
// The sheet shows its pages as tabs over the same objects, with OK, Cancel, Apply and Help:
// Apply is enabled while any page is modified and applies every modified page, stopping at the
// first that fails (which is brought to the front); OK applies and closes only when that
// succeeded; Help opens the current page's help.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ctl/font_picture.h"
#include "platform/ctl/property_page.h"

class QComboBox;
class QFrame;
class QLabel;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace ctl {

inline const com::Guid kStockFontPageClsid = com::Guid::FromString("{0BE35200-8F91-11CE-9DE3-00AA004BB851}");
inline const com::Guid kStockColorPageClsid = com::Guid::FromString("{0BE35201-8F91-11CE-9DE3-00AA004BB851}");
inline const com::Guid kStockPicturePageClsid = com::Guid::FromString("{0BE35202-8F91-11CE-9DE3-00AA004BB851}");

class PropertySheet : public QDialog {
public:
    PropertySheet(const std::string& captionUtf8, std::vector<com::ComPtr<com::IDispatch>> objects,
                  QWidget* parent = nullptr);

    // The sheet owns the page from here on; it is given the sheet's objects.
    PropertyPage* AddPage(std::unique_ptr<PropertyPage> page);
    // Adds the page of each class id in turn (a control's page list); a class that cannot be
    // created is left out. The number of pages added.
    int AddPagesOfClasses(const std::vector<com::Guid>& clsids);
    int PageCount() const;
    PropertyPage* Page(int index) const;
    PropertyPage* CurrentPage() const;

    bool ApplyAll();
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* ApplyButton() const { return apply_; }
    QPushButton* HelpButton() const { return help_; }

private:
    void UpdateApply();

    std::vector<com::ComPtr<com::IDispatch>> objects_;
    QTabWidget* tabs_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* apply_;
    QPushButton* help_;
};

// Colours of the objects by property name, as OLE colour numbers (decimal), with the system
// colours to pick from.
class StockColorPage : public PropertyPage {
public:
    explicit StockColorPage(std::vector<std::string> properties = {"BackColor", "ForeColor"});
    QComboBox* PropertyList() const { return property_; }
    QComboBox* SystemColors() const { return system_; }
    QLineEdit* Value() const { return value_; }
    // The colour of the value, as the system-colour table translates it.
    QColor SampleColor() const;

protected:
    void OnLoadFields() override;
    bool OnApplyFields() override;

private:
    void ShowSelected();
    void ShowColor(std::uint32_t value);
    std::vector<std::string> properties_;
    std::vector<std::pair<std::uint32_t, bool>> values_;   // value, changed
    QComboBox* property_;
    QComboBox* system_;
    QLineEdit* value_;
    QFrame* sample_;
};

// The stock font of the objects: name, size in points, bold, italic, underline, strikethrough.
class StockFontPage : public PropertyPage {
public:
    explicit StockFontPage(std::string property = "Font");
    QLineEdit* Name() const { return name_; }
    QLineEdit* Size() const { return size_; }
    QCheckBox* Bold() const { return bold_; }
    QCheckBox* Italic() const { return italic_; }
    QCheckBox* Underline() const { return underline_; }
    QCheckBox* Strikethrough() const { return strike_; }
    // The font the sample text is drawn in.
    QFont SampleFont() const;

protected:
    void OnLoadFields() override;
    bool OnApplyFields() override;

private:
    // The size field as a font size; nothing when it is no number above zero.
    std::optional<com::Currency> FieldSize() const;
    // The fields over `base` (whose size stays when the size field gives none).
    com::FontDesc FieldsDesc(com::FontDesc base) const;
    void ShowSample();

    std::string property_;
    com::FontDesc sampleDesc_ = DefaultFontDesc();
    QLabel* sample_;
    QLineEdit* name_;
    QLineEdit* size_;
    QCheckBox* bold_;
    QCheckBox* italic_;
    QCheckBox* underline_;
    QCheckBox* strike_;
};

// A picture property of the objects, loaded from an image file (icons from .ico and .cur files,
// other files as bitmaps) or cleared.
class StockPicturePage : public PropertyPage {
public:
    explicit StockPicturePage(std::vector<std::string> properties = {"MouseIcon", "Picture"});
    QComboBox* PropertyList() const { return property_; }
    QLineEdit* Path() const { return path_; }
    QPushButton* ClearButton() const { return clear_; }

protected:
    bool OnApplyFields() override;

private:
    std::vector<std::string> properties_;
    QComboBox* property_;
    QLineEdit* path_;
    QPushButton* clear_;
    bool cleared_ = false;
};

}  // namespace ctl
