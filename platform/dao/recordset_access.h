// What the field collection needs from recordsets (recordset.cpp). Internal to platform/dao.
#pragma once

#include <memory>
#include <vector>

#include "platform/dao/model.h"

namespace dao {

const std::vector<Field>& RecordsetFields(const std::shared_ptr<RecordsetState>& recordset);

}  // namespace dao
