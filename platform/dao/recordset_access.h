// What the field collection needs from recordsets (recordset.cpp). Internal to platform/dao.
#pragma once

#include <memory>
#include <vector>

#include "platform/dao/model.h"

namespace dao {

const std::vector<Field>& RecordsetFields(const std::shared_ptr<RecordsetState>& recordset);
Value RecordsetGet(const FieldState& field);
void RecordsetSet(const FieldState& field, const Value& value);

}  // namespace dao
