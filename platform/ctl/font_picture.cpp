#include "platform/ctl/font_picture.h"

#include <QFontDatabase>
#include <QImage>
#include <QPixmap>
#include <cmath>

namespace ctl {

com::FontDesc DefaultFontDesc() {
    com::FontDesc d;
    d.name = "MS Sans Serif";
    d.size = com::Currency::FromUnits(8);
    return d;
}

namespace {

constexpr const char* kSans = "Liberation Sans";

bool SameFace(std::string_view a, std::string_view b) {
    return QString::fromLatin1(a.data(), static_cast<qsizetype>(a.size()))
               .compare(QString::fromLatin1(b.data(), static_cast<qsizetype>(b.size())), Qt::CaseInsensitive) == 0;
}

}  // namespace

QString InstalledFace(std::string_view face) {
    static const struct {
        const char* face;
        const char* installed;
    } kMapped[] = {
        {"MS Sans Serif", kSans},       {"Microsoft Sans Serif", kSans}, {"Arial", kSans},
        {"Helvetica", kSans},           {"Tahoma", kSans},               {"Verdana", kSans},
        {"System", kSans},              {"MS Shell Dlg", kSans},         {"Times New Roman", "Liberation Serif"},
        {"MS Serif", "Liberation Serif"}, {"Times", "Liberation Serif"}, {"Courier New", "Liberation Mono"},
        {"Courier", "Liberation Mono"},
    };
    for (const auto& row : kMapped)
        if (SameFace(face, row.face)) return QString::fromLatin1(row.installed);
    const QString name = QString::fromLatin1(face.data(), static_cast<qsizetype>(face.size()));
    if (!name.isEmpty() && QFontDatabase::hasFamily(name)) return name;
    return QString::fromLatin1(kSans);
}

QFont ToQFont(const com::FontDesc& desc) {
    QFont font(InstalledFace(desc.name));
    const double points = static_cast<double>(desc.size.scaled) / com::Currency::kScale;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0))));
    font.setWeight(desc.bold || desc.weight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(desc.italic);
    font.setUnderline(desc.underline);
    font.setStrikeOut(desc.strikethrough);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QFont DefaultQFont() { return ToQFont(DefaultFontDesc()); }

void FontObject::SetDesc(const com::FontDesc& desc) {
    Change([&] { desc_ = desc; });
}

const com::DispatchMap& FontObject::DispatchMembers() {
    static const com::DispatchTable<FontObject> table = [] {
        com::DispatchTable<FontObject> t("Font");
        t.Property("Name", &FontObject::Name, &FontObject::SetName, DISPID_FONT_NAME)
            .Property("Size", &FontObject::Size, &FontObject::SetSize, DISPID_FONT_SIZE)
            .Property("Bold", &FontObject::Bold, &FontObject::SetBold, DISPID_FONT_BOLD)
            .Property("Italic", &FontObject::Italic, &FontObject::SetItalic, DISPID_FONT_ITALIC)
            .Property("Underline", &FontObject::Underline, &FontObject::SetUnderline, DISPID_FONT_UNDER)
            .Property("Strikethrough", &FontObject::Strikethrough, &FontObject::SetStrikethrough,
                      DISPID_FONT_STRIKE)
            .Property("Weight", &FontObject::Weight, &FontObject::SetWeight, DISPID_FONT_WEIGHT)
            .Property("Charset", &FontObject::Charset, &FontObject::SetCharset, DISPID_FONT_CHARSET);
        return t;
    }();
    return table.Map();
}

namespace {

bool Get(com::IDispatch* object, com::DispId id, com::VarType type, com::Variant& out) {
    com::DispParams none;
    com::Variant raw;
    if (com::Failed(object->Invoke(id, com::DISPATCH_PROPERTYGET, none, &raw, nullptr, nullptr)))
        return false;
    return com::Succeeded(com::ChangeType(out, raw, type));
}

}  // namespace

std::optional<com::FontDesc> FontDescOf(com::IDispatch* font) {
    if (!font) return std::nullopt;
    com::FontDesc d;
    com::Variant v;
    if (!Get(font, DISPID_FONT_NAME, com::VT_BSTR, v)) return std::nullopt;
    d.name = v.AsStr().ToAnsi();
    if (!Get(font, DISPID_FONT_SIZE, com::VT_CY, v)) return std::nullopt;
    d.size = v.AsCy();
    if (Get(font, DISPID_FONT_BOLD, com::VT_BOOL, v)) d.bold = v.AsBool();
    if (Get(font, DISPID_FONT_ITALIC, com::VT_BOOL, v)) d.italic = v.AsBool();
    if (Get(font, DISPID_FONT_UNDER, com::VT_BOOL, v)) d.underline = v.AsBool();
    if (Get(font, DISPID_FONT_STRIKE, com::VT_BOOL, v)) d.strikethrough = v.AsBool();
    if (Get(font, DISPID_FONT_WEIGHT, com::VT_I2, v)) d.weight = v.AsI2();
    else d.weight = d.bold ? 700 : 400;
    if (Get(font, DISPID_FONT_CHARSET, com::VT_I2, v)) d.charset = v.AsI2();
    return d;
}

const com::DispatchMap& PictureObject::DispatchMembers() {
    static const com::DispatchTable<PictureObject> table = [] {
        com::DispatchTable<PictureObject> t("Picture");
        t.ReadOnly("Type", &PictureObject::Type, DISPID_PICT_TYPE);
        return t;
    }();
    return table.Map();
}

std::optional<com::PictureData> PictureDataOf(com::IDispatch* picture) {
    if (!picture) return std::nullopt;
    // Only pictures of this process carry their bytes; their dispatch table is the mark.
    com::DispId id = 0;
    if (com::Failed(picture->GetIDsOfNames("Type", &id))) return std::nullopt;
    auto* object = dynamic_cast<PictureObject*>(picture);
    if (!object) return std::nullopt;
    return object->Data();
}

std::optional<QCursor> CursorOfPicture(const com::PictureData& picture) {
    if (picture.type != com::PictureType::Icon) return std::nullopt;
    QImage image;
    if (!image.loadFromData(picture.bytes.data(), static_cast<int>(picture.bytes.size())))
        return std::nullopt;
    return QCursor(QPixmap::fromImage(image));
}

}  // namespace ctl
