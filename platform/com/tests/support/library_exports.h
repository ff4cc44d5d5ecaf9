// The exported entry points of a component library built for the tests, written once: a library
// describes itself in TestLibraryDescription() and links library_exports.cpp, which serves its
// classes, its type library and its registration the way the control library serves its own.
#pragma once

#include <optional>

#include "platform/com/factory.h"
#include "platform/com/registration.h"
#include "platform/com/typelib.h"

namespace com::testlib {

struct TestLibrary {
    const ClassTable& (*classes)();   // the classes the library serves
    TypeLibraryData (*typeLibrary)();   // built once, on the first call of ComTypeLibrary
    ControlClassRegistration control;   // its one control class; control.typeLib is the library's id
    std::optional<PropertyPageRegistration> page;
};

// Defined by each test library.
const TestLibrary& TestLibraryDescription();

}  // namespace com::testlib
