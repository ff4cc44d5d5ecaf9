// The late-bound face of a control that lives in a window: a dispatch object that forwards each
// member to the window's control, and the colour arguments those members take.
//
// The control owns its dispatch object, but a caller may keep the object after the window has
// unloaded and destroyed the control. The control detaches the object when it goes, and every
// member of a detached object raises 364 "Object was unloaded" instead of reaching freed memory.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"
#include "platform/win/error.h"

namespace controls {

inline constexpr long kObjectUnloaded = 364;

template <class Self, class Target>
class ControlObject : public com::DispatchObject<Self> {
public:
    // The control the members act on; 364 once the control is gone.
    Target& Control() const {
        if (!target_) throw win::RuntimeError(kObjectUnloaded, "Object was unloaded", source_);
        return *target_;
    }
    bool Attached() const { return target_ != nullptr; }
    void Detach() { target_ = nullptr; }

protected:
    ControlObject(Target& target, std::string source) : target_(&target), source_(std::move(source)) {}

private:
    Target* target_;
    std::string source_;
};

// A colour as the windows pass it: a text such as "&HC0" or "&H8000000D", or a number; 13
// "Type mismatch" for anything else.
std::uint32_t ColorArgument(const com::Variant& value);
// A colour number as a property reads back (the 32-bit pattern, system colours negative).
com::Variant ColorResult(std::uint32_t color);

}  // namespace controls
