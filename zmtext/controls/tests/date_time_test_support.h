// The date and time fields' tests: the text field's fixture (the three fields number Invalid
// alike) with fields of any class.
#pragma once

#include "zmtext/controls/tests/text_test_support.h"

namespace zmtext::testing {

using FieldTest = TextControlTest;

}  // namespace zmtext::testing
