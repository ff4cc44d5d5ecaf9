#include "platform/com/cursor.h"

namespace com {
namespace {

ColumnId Meta(std::uint32_t number) {
    return ColumnId{MetadataColumnsGuid(), ColumnIdKind::GuidNumber, number, {}};
}

}  // namespace

const Guid& MetadataColumnsGuid() {
    // Our own id for the metadata column set; both sides take it from here.
    static const Guid g = Guid::FromString("{5A3F1C2E-7B4D-4E8A-9C61-2D0F8B7E4A10}");
    return g;
}

ColumnId MetaColumnName() { return Meta(1); }
ColumnId MetaColumnId() { return Meta(2); }
ColumnId MetaColumnType() { return Meta(3); }
ColumnId MetaColumnBindable() { return Meta(4); }

}  // namespace com
